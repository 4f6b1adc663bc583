#include "images/hexfileread.h"

#include "images/hexrecordline.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

namespace {

// avr-gcc links the .eeprom section at this address; objcopy keeps it there
// unless told otherwise, and no image of ours reaches that far.
constexpr std::int64_t kAvrEepromLinkAddress = 0x810000;

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

void PlaceHexRecords(const THexFile& file, std::int64_t base, std::int64_t upperLimit,
                     std::span<char> image, std::int64_t& highest) {
    base = std::max<std::int64_t>(base, 0);
    for (const THexDataRecord& record : file.Records()) {
        const std::int64_t address = record.address;
        if (address < base || (upperLimit >= 0 && address > upperLimit)) {
            continue;
        }
        const auto first = static_cast<std::size_t>(2 * (address - base));
        if (first > image.size() || image.size() - first < record.digits.size()) {
            ThrowHexLineError(file.Name(), record.line, BeyondImage(address, base, image.size()));
        }
        std::transform(record.digits.begin(), record.digits.end(), image.begin() + first, Upper);
        highest = std::max(highest, static_cast<std::int64_t>(first + record.digits.size() - 1));
    }
}

void ReadHexRecords(std::string_view content, const std::string& name, std::int64_t base,
                    std::int64_t upperLimit, std::span<char> image, std::int64_t& highest) {
    PlaceHexRecords(THexFile::Parse(std::string(content), name), base, upperLimit, image, highest);
}

} // namespace korvex
