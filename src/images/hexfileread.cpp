#include "images/hexfileread.h"

#include "images/hexrecordline.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

namespace {

enum : int {
    kData = 0x00,
    kEndOfFile = 0x01,
    kSegmentAddress = 0x02,
    kStartSegment = 0x03,
    kLinearAddress = 0x04,
    kStartLinear = 0x05,
};

// avr-gcc links the .eeprom section at this address; objcopy keeps it there
// unless told otherwise, and no image of ours reaches that far.
constexpr std::int64_t kAvrEepromLinkAddress = 0x810000;

// Editors leave trailing blanks behind; they carry no data.
std::string_view TrimTrailingBlanks(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

std::string BeyondImage(std::int64_t address, std::int64_t base, std::size_t capacity) {
    std::string what = "data at address 0x" + HexUpper(static_cast<std::uint64_t>(address), 4) +
                       " fall beyond the image";
    if (address >= kAvrEepromLinkAddress) {
        return what + ": this is an AVR .eeprom section left at its link address 0x810000;"
                      " relocate it with \"avr-objcopy -j .eeprom --change-section-lma"
                      " .eeprom=0 -O ihex\" and load the result as the internal EEPROM file";
    }
    return what + ", which holds " + std::to_string(capacity / 2) + " bytes from address 0x" +
           HexUpper(static_cast<std::uint64_t>(base), 4);
}

char Upper(char c) {
    return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

void ReadHexRecords(std::string_view content, const std::string& name, std::int64_t base,
                    std::int64_t upperLimit, std::span<char> image, std::int64_t& highest) {
    base = std::max<std::int64_t>(base, 0);
    TLineCutter lines(content);
    std::string_view line;
    int lineNumber = 0;
    std::int64_t upper = 0;
    bool sawData = false;
    bool sawEnd = false;
    while (lines.Next(line)) {
        ++lineNumber;
        line = TrimTrailingBlanks(line);
        if (line.empty()) {
            continue;
        }
        const THexRecordLine record = ParseHexRecordLine(line, name, lineNumber);
        const auto fail = [&](const std::string& what) {
            ThrowHexLineError(name, lineNumber, what);
        };
        if (record.type == kEndOfFile) {
            sawEnd = true;
            break;
        }
        if (record.type == kSegmentAddress || record.type == kLinearAddress) {
            if (record.count != 2) {
                fail("address record carries " + std::to_string(record.count) + " bytes, not 2");
            }
            upper = static_cast<std::int64_t>(HexRecordValue(record))
                    << (record.type == kSegmentAddress ? 4 : 16);
            continue;
        }
        if (record.type == kStartSegment || record.type == kStartLinear) {
            continue;
        }
        if (record.type != kData) {
            fail("unsupported record type " + HexUpper(record.type, 2));
        }
        if (record.count == 0) {
            continue;
        }
        sawData = true;
        const std::int64_t address = upper + record.address;
        if (address < base || (upperLimit >= 0 && address > upperLimit)) {
            continue;
        }
        const auto first = static_cast<std::size_t>(2 * (address - base));
        if (first > image.size() || image.size() - first < record.data.size()) {
            fail(BeyondImage(address, base, image.size()));
        }
        std::transform(record.data.begin(), record.data.end(), image.begin() + first, Upper);
        highest = std::max(highest, static_cast<std::int64_t>(first + record.data.size() - 1));
    }
    if (!sawData) {
        throw EImageFileError(name + ": no data records");
    }
    // Every tool ends a file with this record; a file without it was cut off
    // (a copy broken off, a disk that filled up), and what is missing would
    // go to the card as blank.
    if (!sawEnd) {
        throw EImageFileError(name + ": ends without an end-of-file record: the file may be cut "
                                     "short");
    }
}

} // namespace korvex
