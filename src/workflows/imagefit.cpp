#include "workflows/imagefit.h"

#include "images/hexrecordline.h"
#include "images/picmap.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"
#include "support/textconv.h"

#include <algorithm>
#include <filesystem>

namespace korvex {

namespace {

[[noreturn]] void Refuse(const std::filesystem::path& file, std::int64_t highest,
                         std::int64_t memoryBytes, const std::string& memory) {
    throw EImageFileError(
        file.string() + ": data reach address 0x" +
        HexUpper(static_cast<std::uint64_t>(highest), 4) + ", beyond the " + memory + " of " +
        std::to_string(memoryBytes) + " bytes (0x0000 to 0x" +
        HexUpper(static_cast<std::uint64_t>(std::max<std::int64_t>(memoryBytes - 1, 0)), 4) +
        "); choose a card type whose memory holds the file, or a file for this "
        "card type");
}

// The highest byte address the file's data records give in [from, below);
// -1 when none. Malformed lines are left to the real load to report.
std::int64_t HighestAddressIn(std::string_view content, const std::string& name, std::int64_t from,
                              std::int64_t below) {
    TLineCutter lines(content);
    std::string_view line;
    std::int64_t upper = 0;
    std::int64_t highest = -1;
    int lineNumber = 0;
    while (lines.Next(line)) {
        ++lineNumber;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        THexRecordLine record;
        try {
            record = ParseHexRecordLine(line, name, lineNumber);
        } catch (const EImageFileError&) {
            return highest;
        }
        if (record.type == 0x01) {
            break;
        }
        if ((record.type == 0x02 || record.type == 0x04) && record.count == 2) {
            upper = static_cast<std::int64_t>(HexRecordValue(record))
                    << (record.type == 0x02 ? 4 : 16);
            continue;
        }
        if (record.type != 0x00 || record.count == 0) {
            continue;
        }
        const std::int64_t first = upper + record.address;
        const std::int64_t last = first + record.count - 1;
        if (last >= from && first < below) {
            highest = std::max(highest, std::min(last, below - 1));
        }
    }
    return highest;
}

} // namespace

void CheckHexProgramFits(const std::filesystem::path& file, std::int64_t programBytes,
                         std::int64_t regionStart, const std::string& memory) {
    if (programBytes <= 0) {
        return;
    }
    const std::string content = ReadWholeFile(file);
    const std::int64_t highest =
        HighestAddressIn(content, file.string(), programBytes, regionStart);
    if (highest >= 0) {
        Refuse(file, highest, programBytes, memory);
    }
}

void CheckBinaryProgramFits(const std::filesystem::path& file, std::int64_t memoryBytes,
                            const std::string& memory) {
    if (memoryBytes <= 0) {
        return;
    }
    const auto size = static_cast<std::int64_t>(TReadOnlyFile(file).Size());
    if (size > memoryBytes) {
        Refuse(file, size - 1, memoryBytes, memory);
    }
}

void CheckPicEepromFits(const std::filesystem::path& file, std::int64_t highestChar,
                        std::int64_t eepromBytes) {
    // Each EEPROM byte takes one word, four characters of the image.
    if (eepromBytes <= 0 || highestChar <= 0 || highestChar / 4 < eepromBytes) {
        return;
    }
    throw EImageFileError(
        file.string() + ": data EEPROM data reach address 0x" +
        HexUpper(static_cast<std::uint64_t>(kPicEepromAddress + 2 * (highestChar / 4)), 4) +
        ", beyond the data EEPROM of " + std::to_string(eepromBytes) + " bytes (0x4200 to 0x" +
        HexUpper(static_cast<std::uint64_t>(kPicEepromAddress + 2 * eepromBytes - 1), 4) +
        "); choose a card type whose processor holds the file");
}

void CheckLoadedFits(const std::filesystem::path& file, std::int64_t highestChar,
                     std::int64_t memoryBytes, const std::string& memory) {
    if (memoryBytes <= 0) {
        return;
    }
    if (highestChar / 2 >= memoryBytes) {
        Refuse(file, highestChar / 2, memoryBytes, memory);
    }
}

} // namespace korvex
