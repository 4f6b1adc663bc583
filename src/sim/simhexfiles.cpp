#include "sim/simhexfiles.h"

#include "images/hexconv.h"
#include "images/hexfileread.h"
#include "images/hexrecordline.h"
#include "images/hexrecordwriter.h"
#include "images/picmap.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"

#include <system_error>

namespace korvex::sim {

namespace {

constexpr std::size_t kRecordChars = 32; // 16 bytes a record
constexpr std::size_t kLongestAvrId = 2 * 16;

// Program words go to files low byte first, as assemblers and compilers lay
// them out, for both families; only a PIC's configuration area holds words too.
bool HoldsWords(const TSimCard& card, TSimMemory memory) {
    return memory == TSimMemory::Program || (!card.IsAvr() && memory == TSimMemory::Config);
}

} // namespace

std::string SimMemoryFileName(TSimMemory memory) {
    switch (memory) {
    case TSimMemory::Program:
        return "program.hex";
    case TSimMemory::Data:
        return "data.hex";
    case TSimMemory::Config:
        return "config.hex";
    case TSimMemory::Eeprom:
        break;
    }
    return "eeprom.hex";
}

std::string SimMemoryHex(const TSimCard& card, TSimMemory memory) {
    std::string text = card.Text(memory);
    text.resize(text.size() / 2 * 2);
    if (HoldsWords(card, memory)) {
        TPHexConv::SwapWordBytes(text);
    }
    THexRecordWriter writer;
    for (std::size_t pos = 0; pos < text.size(); pos += kRecordChars) {
        writer.Data(static_cast<std::uint32_t>(pos / 2),
                    std::string_view(text).substr(pos, kRecordChars));
    }
    return writer.Finish();
}

void SaveSimMemory(const TSimCard& card, TSimMemory memory, const std::filesystem::path& file) {
    WriteFileAtomically(file, SimMemoryHex(card, memory));
}

void LoadSimMemory(TSimCard& card, TSimMemory memory, const std::filesystem::path& file) {
    const std::string content = ReadWholeFile(file);
    const bool avrId = memory == TSimMemory::Config && card.IsAvr();
    // A fresh chip of the same kind: blank, with its catalogue identification.
    // An AVR's identification has no fixed length: it is what the file holds.
    std::string image =
        avrId ? std::string(kLongestAvrId, 'F') : TSimCard(card.Model()).Text(memory);
    const bool words = HoldsWords(card, memory);
    if (words) {
        TPHexConv::SwapWordBytes(image);
    }
    const std::int64_t limit =
        (!card.IsAvr() && memory == TSimMemory::Program) ? kPicProgramLimit : std::int64_t{-1};
    std::int64_t highest = 0;
    ReadHexRecords(content, file.string(), 0, limit, image, highest);
    if (avrId) {
        image.resize(static_cast<std::size_t>(highest) + 1);
    }
    if (words) {
        TPHexConv::SwapWordBytes(image);
    }
    card.Load(memory, image);
}

bool SimCardHas(const TSimCard& card, TSimMemory memory) {
    return card.Size(memory) > 0;
}

void SaveSimCard(const TSimCard& card, const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw EInOutError("Cannot create the folder: " + error.message(), folder.string());
    }
    for (TSimMemory memory :
         {TSimMemory::Program, TSimMemory::Data, TSimMemory::Config, TSimMemory::Eeprom}) {
        const std::filesystem::path file = folder / SimMemoryFileName(memory);
        if (SimCardHas(card, memory)) {
            SaveSimMemory(card, memory, file);
            continue;
        }
        // An image without a data record is no HEX file anybody can load.
        std::filesystem::remove(file, error);
        if (error) {
            throw EInOutError("Cannot remove the file: " + error.message(), file.string());
        }
    }
}

bool IsHexFileWithoutData(const std::filesystem::path& file) {
    constexpr int kData = 0x00;
    constexpr int kEndOfFile = 0x01;
    std::string content;
    try {
        content = ReadWholeFile(file);
        TLineCutter lines(content);
        std::string_view line;
        for (int lineNumber = 1; lines.Next(line); ++lineNumber) {
            if (line.find_first_not_of(" \t") == std::string_view::npos) {
                continue;
            }
            const THexRecordLine record = ParseHexRecordLine(
                line.substr(0, line.find_last_not_of(" \t") + 1), file.string(), lineNumber);
            if (record.type == kEndOfFile) {
                break;
            }
            if (record.type == kData && record.count > 0) {
                return false;
            }
        }
    } catch (const EKorvex&) {
        return false;
    }
    return true;
}

} // namespace korvex::sim
