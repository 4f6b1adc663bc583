// A serial value laid into an image, for every layout, format, length and
// address against every memory size: the field is refused, or the value
// lands exactly where asked and nothing else of the image changes; nothing
// is ever written outside the memory.
#include "catalogue/serialfield.h"
#include "serials/serialencode.h"
#include "serials/serialerrors.h"
#include "serials/serialimage.h"
#include "support/textconv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace korvex;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Reads the input's bytes in turn; zeros once it is spent.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint64_t Take(std::size_t bytes) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            value = (value << 8) | (at_ < size_ ? data_[at_++] : 0);
        }
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Where the two characters of byte `address` stand, as the layout has it.
std::size_t CharOf(TImageLayout layout, std::uint64_t address) {
    return layout == TImageLayout::ilBytes ? 2 * address
                                           : 4 * (address / 2) + (address % 2 == 0 ? 2 : 0);
}

// An image as a file makes it: whole units, a PIC word of 14 bits.
std::string Image(TInput& input, TImageLayout layout, std::uint64_t memoryBytes) {
    const std::size_t unit = layout == TImageLayout::ilBytes ? 1 : 2;
    const std::uint64_t units = std::min<std::uint64_t>(input.Take(2), memoryBytes / unit);
    std::string text;
    for (std::uint64_t i = 0; i < units; ++i) {
        std::uint64_t value = input.Take(unit);
        if (layout == TImageLayout::ilWords14) {
            value &= 0x3FFF;
        }
        text += HexUpper(value, static_cast<int>(2 * unit));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TInput input(data, size);
    TSerialField field;
    field.name = "Serial1";
    field.memory = static_cast<TSerialMemory>(input.Take(1) % 3);
    const bool avr = input.Take(1) % 2 == 1;
    field.format = static_cast<TSerialFormat>(input.Take(1) % 5);
    field.length = static_cast<std::uint32_t>(input.Take(1) % 40);
    // Small memories as often as large ones, and addresses near their end
    // as often as anywhere: the edges are where a value could leave it.
    const std::uint64_t memoryBytes = (input.Take(3) >> (input.Take(1) % 24)) % (1 << 17);
    switch (input.Take(1) % 3) {
    case 0:
        field.address = static_cast<std::uint32_t>(input.Take(4));
        break;
    case 1:
        field.address =
            static_cast<std::uint32_t>(memoryBytes - std::min(memoryBytes, input.Take(1)));
        break;
    default:
        field.address = static_cast<std::uint32_t>(memoryBytes + input.Take(1) % 8);
        break;
    }
    const std::uint64_t number = input.Take(8);
    field.last = LargestSerialNumber(field.format, field.length);
    field.first = 0;
    if (!SerialFieldProblem(field).empty()) {
        return 0; // no card type file holds it
    }
    const TImageLayout layout = SerialLayout(field.memory, avr);
    const std::string image = Image(input, layout, memoryBytes);
    try {
        CheckSerialPlace(field, memoryBytes, image, layout);
    } catch (const ESerialValue&) {
        return 0;
    }
    Check(std::uint64_t{field.address} + field.length <= memoryBytes);
    // A counter's number, or a list's line taken from the input.
    std::vector<std::uint8_t> bytes;
    try {
        if (number % 2 == 0) {
            bytes = EncodeSerialNumber(field, number);
        } else {
            std::string line;
            for (std::uint64_t n = input.Take(1) % 48; n > 0; --n) {
                line += static_cast<char>(input.Take(1));
            }
            bytes = EncodeSerialText(field, line);
        }
    } catch (const ESerialValue&) {
        Check(number % 2 == 1 || number > field.last);
        return 0;
    }
    Check(bytes.size() == field.length);
    std::string placed = image;
    try {
        PlaceSerialBytes(placed, layout, field.address, bytes);
    } catch (const ESerialValue&) {
        Check(layout == TImageLayout::ilWords14 && placed == image);
        return 0;
    }
    const std::uint64_t memoryChars =
        layout == TImageLayout::ilBytes ? 2 * memoryBytes : 4 * ((memoryBytes + 1) / 2);
    Check(placed.size() <= std::max<std::uint64_t>(image.size(), memoryChars));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t at = CharOf(layout, std::uint64_t{field.address} + i);
        Check(placed.substr(at, 2) == HexUpper(bytes[i], 2));
        placed.replace(at, 2, image.size() >= at + 2 ? image.substr(at, 2) : std::string("--"));
    }
    // Everything else is the image as it was, or blank where it was lengthened.
    const std::string_view rest(placed);
    Check(rest.substr(0, image.size()) == image);
    Check(rest.substr(std::min(image.size(), rest.size())).find_first_not_of("-F3") ==
          std::string_view::npos);
    return 0;
}
