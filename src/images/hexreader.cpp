#include "images/hexreader.h"

#include "images/hexconv.h"
#include "images/hexrecordwriter.h"
#include "images/picmap.h"
#include "support/atomicfile.h"

#include <stdexcept>
#include <system_error>

namespace korvex {

namespace {

enum : int { kProgram = 0, kEeprom = 1, kPlain = 2, kConfig = 3 };
constexpr int kPicLayout = 2;

constexpr auto kConfigAddress = static_cast<std::uint32_t>(kPicConfigAddress);
constexpr auto kEepromAddress = static_cast<std::uint32_t>(kPicEepromAddress);
constexpr std::size_t kProgramRecordChars = 32;
constexpr std::size_t kConfigRecordChars = 16;
constexpr std::size_t kEepromBytesPerRecord = 8;
constexpr std::size_t kPlainBytesPerRecord = 16;

TPHexReader::TArea MakeArea(std::size_t capacity, std::string_view preset) {
    TPHexReader::TArea area;
    area.preset = preset;
    area.text.resize(capacity);
    for (std::size_t pos = 0; pos < capacity; ++pos) {
        area.text[pos] = preset[pos % preset.size()];
    }
    return area;
}

// `count` characters from `pos`, completed from the preset past the area's end.
std::string Chunk(const TPHexReader::TArea& area, std::size_t pos, std::size_t count) {
    std::string chunk;
    chunk.reserve(count);
    for (std::size_t at = pos; at < pos + count; ++at) {
        chunk += at < area.text.size() ? area.text[at] : area.preset[at % area.preset.size()];
    }
    return chunk;
}

// Word text is held high byte first; the file wants the low byte first.
std::string SwapWords(std::string text) {
    TPHexConv::SwapWordBytes(text);
    return text;
}

} // namespace

TPHexReader::TPHexReader()
    : areas_{MakeArea(49155, "3FFF"), MakeArea(2048, "F"), MakeArea(65536, "F"),
             MakeArea(32, "3FFF")} {}

void TPHexReader::SetArea(int selector, std::string_view text) {
    if (selector < kProgram || selector > kConfig) {
        throw std::out_of_range("area selector " + std::to_string(selector));
    }
    TArea& area = areas_[static_cast<std::size_t>(selector)];
    if (text.size() > area.text.size()) {
        area.text.resize(text.size());
    }
    area.text.replace(0, text.size(), text);
    area.length = text.size();
}

std::string TPHexReader::BuildFile(int layout) const {
    return layout == kPicLayout ? BuildPicLayout() : BuildPlainLayout();
}

std::string TPHexReader::BuildPicLayout() const {
    THexRecordWriter writer;
    const TArea& program = areas_[kProgram];
    const std::size_t programChars = program.length / 2 * 2;
    // An empty program still gives one record, so the file says where it starts.
    std::size_t pos = 0;
    do {
        writer.Data(static_cast<std::uint32_t>(pos / 2),
                    SwapWords(Chunk(program, pos, kProgramRecordChars)));
        pos += kProgramRecordChars;
    } while (pos < programChars);

    const TArea& config = areas_[kConfig];
    for (pos = 0; pos < config.length / 2 * 2; pos += kConfigRecordChars) {
        writer.Data(kConfigAddress + static_cast<std::uint32_t>(pos / 2),
                    SwapWords(Chunk(config, pos, kConfigRecordChars)));
    }

    const TArea& eeprom = areas_[kEeprom];
    for (std::size_t k = 0; k < eeprom.length / 2; k += kEepromBytesPerRecord) {
        const std::string bytes = Chunk(eeprom, 2 * k, 2 * kEepromBytesPerRecord);
        std::string words;
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            words += bytes.substr(i, 2) + "00";
        }
        writer.Data(kEepromAddress + static_cast<std::uint32_t>(2 * k), words);
    }
    return writer.Finish();
}

std::string TPHexReader::BuildPlainLayout() const {
    THexRecordWriter writer;
    const TArea& plain = areas_[kPlain];
    const std::size_t bytes = plain.length / 2;
    // Nothing at all still gives one (empty) data record: a file of just the
    // end-of-file record is refused as holding no data by common tools.
    std::size_t at = 0;
    do {
        const std::size_t count = std::min(kPlainBytesPerRecord, bytes - at);
        writer.Data(static_cast<std::uint32_t>(at),
                    std::string_view(plain.text).substr(2 * at, 2 * count));
        at += count;
    } while (at < bytes);
    return writer.Finish();
}

bool TPHexReader::SaveToFile(const std::filesystem::path& file, int layout,
                             const OverwriteQuestion& ask) {
    const std::string content = BuildFile(layout);
    std::error_code error;
    if (std::filesystem::exists(file, error) && !(ask && ask(file))) {
        return false;
    }
    WriteFileAtomically(file, content);
    return true;
}

} // namespace korvex
