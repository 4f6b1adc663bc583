#pragma once

// What the end-to-end tests of korvex-cli's card commands share: settings of
// their own, a program folder to change, the fixtures, and srec_cat's reading
// of the files the simulator and the tool leave behind.

#include "common/hexrecords.h"
#include "common/runprogram.h"
#include "common/srecord.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace korvex::testing {

inline std::filesystem::path Fixture(const std::string& name) {
    return std::filesystem::path(KORVEX_FIXTURES_DIR) / name;
}

inline std::filesystem::path Sample24c16() {
    return std::filesystem::path(KORVEX_SOURCE_DATA_DIR) / "samples" / "sample24c16.hex";
}

// The file as srec_cat reads it; a file it cannot read fails the test.
inline TSrecImage Srec(const std::filesystem::path& file) {
    TSrecImage image = SrecReadHex(file);
    if (!image.ok) {
        ADD_FAILURE() << file << ": " << image.complaints;
    }
    return image;
}

// `count` bytes from `first`, a hole taking the memory's blank: `blank` is
// one blank word (or byte), repeated from an even address.
inline std::string Filled(const TSrecImage& image, std::uint32_t first, std::uint32_t count,
                          const std::string& blank) {
    std::string text = image.HexText(first, count);
    for (std::size_t pos = 0; pos < text.size(); pos += 2) {
        if (text.compare(pos, 2, "--") == 0) {
            text.replace(pos, 2, blank.substr(pos % blank.size(), 2));
        }
    }
    return text;
}

// The low byte of `count` words from byte address `first`: a PIC data EEPROM
// as a merged program file holds it, one byte a word.
inline std::string LowBytes(const TSrecImage& image, std::uint32_t first, std::uint32_t count) {
    std::string text;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string byte = image.HexText(first + 2 * i, 1);
        text += byte == "--" ? "FF" : byte;
    }
    return text;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The command letters of the frames in a --log file, in order.
inline std::string FrameCommands(const std::string& log) {
    std::string commands;
    const std::string start = "<01>";
    for (std::size_t pos = log.find(start); pos != std::string::npos;
         pos = log.find(start, pos + 1)) {
        if (pos + start.size() < log.size()) {
            commands += log[pos + start.size()];
        }
    }
    return commands;
}

// Frames that write or erase something on the card.
inline bool ChangesTheCard(const std::string& frameCommands) {
    return frameCommands.find_first_of("BCDHI") != std::string::npos;
}

// auto --watch of `count` cards with the test's files, recorded in `record`.
inline std::vector<std::string> WatchRun(const std::string& port, int count,
                                         const std::string& record) {
    return {"--port",
            port,
            "--card",
            "PIC16F84-24C16",
            "auto",
            "--pic",
            Fixture("gpasm/card84.hex").string(),
            "--eeprom",
            Sample24c16().string(),
            "--watch",
            "--count",
            std::to_string(count),
            "--record",
            record};
}

// Every test runs with settings and a data folder of its own: nothing the
// user stored leaks in, and the built-in simulator keeps its cards there.
class CliE2e : public ::testing::Test {
protected:
    TempDir config;
    TempDir data;
    TempDir work;

    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    }

    // Leaves the tool no data folder of the user's to turn to when the
    // program folder cannot be written.
    void BlockUserDataFolder() {
        WriteText(data / "blocked", "a file, not a folder");
        ::setenv("XDG_DATA_HOME", (data / "blocked").c_str(), 1);
    }

    ProgramResult Cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--data", programFolder_.string()});
        return RunProgram(KORVEX_CLI, args);
    }

    // Makes the following runs use a copy of the program folder, for tests
    // that change options or card type files; returns the copy.
    std::filesystem::path UseProgramCopy() {
        const std::filesystem::path copy = work / "program";
        std::filesystem::create_directories(copy);
        for (const char* folder : {"cards", "lang", "options", "defaults"}) {
            std::filesystem::copy(std::filesystem::path(KORVEX_PROGRAM_DIR) / folder, copy / folder,
                                  std::filesystem::copy_options::recursive);
        }
        programFolder_ = copy;
        return copy;
    }

    // The memory file of a card the built-in simulator keeps between runs.
    std::filesystem::path KeptCard(const std::string& cardType, const std::string& file) const {
        return config.Path() / "korvex" / "simcard" / cardType / file;
    }

    std::string Path(const std::string& name) const { return (work / name).string(); }

private:
    std::filesystem::path programFolder_ = KORVEX_PROGRAM_DIR;
};

} // namespace korvex::testing
