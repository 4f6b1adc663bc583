#include "workflows/filerows/fileview.h"

#include "images/hexdump.h"
#include "images/hexfile.h"
#include "images/picmap.h"
#include "support/textconv.h"

namespace korvex {

namespace {

constexpr std::size_t kWideLine = 64;
constexpr std::size_t kConfigLine = 32;

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

} // namespace

TPFileView::TPFileView(std::filesystem::path file, TViewKind kind, bool avrKind)
    : file_(std::move(file)), kind_(kind), avrKind_(avrKind) {
    ReadFile();
}

void TPFileView::ReadFile() {
    const std::string name = file_.string();
    const bool isHex = EndsWithNoCase(name, ".hex");
    const bool isBin = EndsWithNoCase(name, ".bin");

    if (kind_ == TViewKind::vkEeprom) {
        if (isBin) {
            eepromView_.LoadBinary(file_, 0, -1);
        } else {
            eepromView_.LoadHex(file_, 0, -1);
        }
        return;
    }
    if (avrKind_) {
        program_.SetFillPattern("FFFF");
        configuration_.SetFillPattern("FFFF");
        if (isHex) {
            program_.LoadHexSwapped(file_, 0, -1);
        } else if (isBin) {
            program_.LoadBinary(file_, 0, -1);
        }
        return;
    }
    program_.SetFillPattern("FF3F");
    configuration_.SetFillPattern("FF3F");
    if (isHex) {
        // One read of the file for its three images.
        const THexFile hex = THexFile::Read(file_);
        configuration_.LoadHexSwapped(hex, kPicConfigAddress, kPicConfigLimit);
        dataEeprom_.LoadHexSwapped(hex, kPicEepromAddress, -1);
        program_.LoadHexSwapped(hex, 0, kPicProgramLimit);
    } else if (isBin) {
        program_.LoadBinary(file_, 0, kPicProgramLimit);
    }
}

std::vector<std::string> TPFileView::MemoLines() const {
    std::vector<std::string> lines;
    if (kind_ == TViewKind::vkEeprom) {
        return DumpLines(eepromView_.GetHexText(0, -1), kWideLine, 0);
    }
    lines = DumpLines(program_.GetHexText(0, -1), kWideLine, 0);
    if (!avrKind_) {
        const std::string config = configuration_.GetHexText(0, -1);
        const std::string eeprom = dataEeprom_.GetLowByteText(0, -1);
        if (!config.empty()) {
            Append(lines, DumpLines(config, kConfigLine, kPicConfigAddress));
        }
        if (!eeprom.empty()) {
            Append(lines, DumpLines(eeprom, kWideLine, kPicEepromAddress));
        }
    }
    return lines;
}

} // namespace korvex
