#include "workflows/filerows/imagefit.h"

#include "images/picmap.h"
#include "support/errors.h"
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

} // namespace

void CheckHexProgramFits(const THexFile& file, std::int64_t programBytes, std::int64_t regionStart,
                         const std::string& memory) {
    if (programBytes <= 0) {
        return;
    }
    const std::int64_t highest = file.HighestAddressIn(programBytes, regionStart);
    if (highest >= 0) {
        Refuse(file.Name(), highest, programBytes, memory);
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

void CheckPicGapEmpty(const THexFile& file) {
    // A record is taken by the configuration area when it starts at or below
    // its limit; the data EEPROM begins further up.
    for (const THexDataRecord& record : file.Records()) {
        if (record.address > kPicConfigLimit && record.address < kPicEepromAddress &&
            !record.digits.empty()) {
            throw EImageFileError(
                file.Name() + ": data at address 0x" +
                HexUpper(static_cast<std::uint64_t>(record.address), 4) +
                " lie in no memory of the processor (its configuration words end at 0x" +
                HexUpper(static_cast<std::uint64_t>(kPicConfigLimit - 1), 4) +
                ", its data EEPROM begins at 0x" +
                HexUpper(static_cast<std::uint64_t>(kPicEepromAddress), 4) +
                "): the file is not for this processor; choose the card type it was made for");
        }
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

void CheckProgramWords(const std::filesystem::path& file, const std::string& programText,
                       std::uint16_t wordMask) {
    constexpr std::size_t kWordChars = 4;
    if (wordMask == 0xFFFF) {
        return; // every four digits are a word of this processor
    }
    for (std::size_t at = 0; at + kWordChars <= programText.size(); at += kWordChars) {
        const auto word =
            static_cast<std::uint32_t>(std::stoul(programText.substr(at, kWordChars), nullptr, 16));
        if (word > wordMask) {
            throw EImageFileError(
                file.string() + ": program word 0x" + HexUpper(at / kWordChars, 4) + " holds 0x" +
                HexUpper(word, 4) + ", more than a word of this processor holds (0x" +
                HexUpper(wordMask, 4) +
                "): the file is not for this processor; choose the card type it was made for");
        }
    }
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
