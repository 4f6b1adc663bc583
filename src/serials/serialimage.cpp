#include "serials/serialimage.h"

#include "images/hexconv.h"
#include "serials/serialerrors.h"
#include "support/textconv.h"

namespace korvex {

namespace {

std::string_view BlankUnit(TImageLayout layout) {
    switch (layout) {
    case TImageLayout::ilBytes:
        break;
    case TImageLayout::ilWords16:
        return "FFFF";
    case TImageLayout::ilWords14:
        return "3FFF";
    }
    return "FF";
}

// Where the two characters of byte `address` stand in the text.
std::size_t CharOf(TImageLayout layout, std::uint64_t address) {
    if (layout == TImageLayout::ilBytes) {
        return 2 * address;
    }
    const std::uint64_t word = address / 2;
    return 4 * word + (address % 2 == 0 ? 2 : 0);
}

std::uint8_t ByteAt(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>(TPHexConv::HexToInt(text.substr(at, 2)));
}

std::string MemoryWords(TSerialMemory memory) {
    switch (memory) {
    case TSerialMemory::smEeprom:
        return "external EEPROM";
    case TSerialMemory::smIntEeprom:
        return "internal EEPROM";
    case TSerialMemory::smProgram:
        break;
    }
    return "program memory";
}

std::string Address(std::uint64_t address) {
    return "0x" + HexUpper(address, 4);
}

} // namespace

TImageLayout SerialLayout(TSerialMemory memory, bool avr) {
    if (memory != TSerialMemory::smProgram) {
        return TImageLayout::ilBytes;
    }
    return avr ? TImageLayout::ilWords16 : TImageLayout::ilWords14;
}

void CheckSerialPlace(const TSerialField& field, std::uint64_t memoryBytes,
                      std::string_view hexText, TImageLayout layout) {
    const std::uint64_t end = std::uint64_t{field.address} + field.length;
    const std::string where = "Serial field " + field.name + " (" + MemoryWords(field.memory) +
                              " bytes " + Address(field.address) + " to " + Address(end - 1) + ")";
    if (memoryBytes == 0) {
        throw ESerialValue(where + ": the card type has no " + MemoryWords(field.memory));
    }
    if (end > memoryBytes) {
        throw ESerialValue(where + " lies outside the " + std::to_string(memoryBytes) +
                           " bytes of the memory");
    }
    const std::string_view blank = BlankUnit(layout);
    for (std::uint64_t address = field.address; address < end; ++address) {
        const std::size_t at = CharOf(layout, address);
        if (at + 2 > hexText.size()) {
            continue;
        }
        const std::uint8_t blankByte =
            layout == TImageLayout::ilBytes ? 0xFF : ByteAt(blank, CharOf(layout, address % 2));
        if (const std::uint8_t set = ByteAt(hexText, at); set != blankByte) {
            throw ESerialValue(where + " covers byte " + Address(address) +
                               ", which the image sets (" + HexUpper(set, 2) +
                               "): leave the field's bytes blank in the image or move the field");
        }
    }
}

void PlaceSerialBytes(std::string& hexText, TImageLayout layout, std::uint32_t address,
                      const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    const std::string_view blank = BlankUnit(layout);
    std::string text = hexText;
    const std::size_t needed = CharOf(layout, std::uint64_t{address} + bytes.size() - 1) + 2;
    while (text.size() < needed) {
        text += blank;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t at = std::uint64_t{address} + i;
        text.replace(CharOf(layout, at), 2, HexUpper(bytes[i], 2));
        if (layout == TImageLayout::ilWords14 && at % 2 == 1 && bytes[i] > 0x3F) {
            throw ESerialValue("A serial value would make program word " + Address(at / 2) + " " +
                               HexUpper(bytes[i], 2) +
                               "xx, above 3FFF: a PIC program "
                               "word holds 14 bits");
        }
    }
    hexText = std::move(text);
}

} // namespace korvex
