#include "workflows/session/readback.h"

#include "images/hexdump.h"
#include "images/picmap.h"
#include "support/textconv.h"

namespace korvex {

namespace {

constexpr std::size_t kLine = 64;

enum : int { kProgramArea = 0, kEepromArea = 1, kPlainArea = 2, kConfigArea = 3 };
constexpr int kPicLayout = 2;
constexpr int kPlainLayout = 3;

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

} // namespace

TPReadBack::TPReadBack(bool avrKind, bool eeprom, std::string configText, std::string dataText,
                       std::string mainText)
    : avrKind_(avrKind), eeprom_(eeprom), config_(std::move(configText)),
      data_(std::move(dataText)), main_(std::move(mainText)) {}

std::string TPReadBack::ModeLabel() const {
    if (eeprom_) {
        return "Eeprom";
    }
    if (!avrKind_) {
        return "Pic";
    }
    // The label follows the memo: once the window has moved on to the data
    // EEPROM it says so, also when the first save dialog was cancelled.
    return secondStage_ ? "Atmel - Internal eeprom" : "Atmel - Processor";
}

std::vector<std::string> TPReadBack::MemoLines() const {
    std::vector<std::string> lines;
    if (!secondStage_) {
        Append(lines, DumpLines(main_, kLine, 0));
    }
    if (!config_.empty() && !avrKind_) {
        Append(lines, DumpLines(config_, kLine, kPicConfigAddress));
    }
    if (!data_.empty() && (!avrKind_ || secondStage_)) {
        // An AVR's data EEPROM is a memory of its own, counted from 0.
        Append(lines, DumpLines(data_, kLine, avrKind_ ? 0 : kPicEepromAddress));
    }
    return lines;
}

std::filesystem::path TPReadBack::SaveName(std::string chosen) {
    // The name is kept as the user gave it: on a case-sensitive file system
    // "Card1.hex" and "card1.hex" are two files, and writing the other one
    // would replace a file the user never named. Only the ending is looked
    // at in any case.
    std::filesystem::path path(std::move(chosen));
    // A name that stands for a device, a FIFO or a folder already is kept
    // as it is, to be refused as such: with ".hex" added it would become
    // a new file beside it (as root, "/dev/null.hex").
    std::error_code error;
    using enum std::filesystem::file_type;
    const auto type = std::filesystem::status(path, error).type();
    if (type == directory || type == character || type == block || type == fifo || type == socket) {
        return path;
    }
    std::string name = path.filename().string();
    if (name.size() < 4 || AsciiLower(name.substr(name.size() - 4)) != ".hex") {
        name += ".hex";
    }
    return path.parent_path() / name;
}

bool TPReadBack::Save(const std::optional<std::filesystem::path>& chosen,
                      const TPHexReader::OverwriteQuestion& ask) {
    if (!chosen) {
        return false;
    }
    const std::filesystem::path file = SaveName(chosen->string());
    TPHexReader writer;
    bool written = false;
    if (secondStage_ || eeprom_) {
        writer.SetArea(kPlainArea, secondStage_ ? data_ : main_);
        written = writer.SaveToFile(file, kPlainLayout, ask);
    } else {
        writer.SetArea(kProgramArea, main_);
        // An AVR's data EEPROM goes to a file of its own in the second
        // stage, and its fuses are no configuration words.
        writer.SetArea(kEepromArea, avrKind_ ? std::string() : data_);
        writer.SetArea(kConfigArea, avrKind_ ? std::string() : config_);
        written = writer.SaveToFile(file, kPicLayout, ask);
    }
    if (written && avrKind_) {
        secondStage_ = true;
    }
    return written;
}

} // namespace korvex
