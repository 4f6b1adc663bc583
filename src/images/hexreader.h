#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// Saves data read back from a card as an Intel HEX file; the name is the one
// the read-back window has always used for it.
class TPHexReader {
public:
    // Asked with the file's path when it exists already; true = overwrite.
    using OverwriteQuestion = std::function<bool(const std::filesystem::path&)>;

    TPHexReader();

    // Selector 0 program words, 1 EEPROM bytes, 2 plain bytes, 3 configuration
    // words. The text goes in from position 0; the rest of the area keeps its
    // preset, and a text longer than the area makes the area grow.
    void SetArea(int selector, std::string_view text);

    // Layout 2: PIC file (program words, configuration words at 0x4000, EEPROM
    // bytes at 0x4200). Any other layout: the plain area from address 0.
    std::string BuildFile(int layout) const;

    // False, with nothing written, when the file exists and `ask` says no (or
    // there is nobody to ask). Throws EInOutError when the file cannot be
    // written; it is then left as it was.
    bool SaveToFile(const std::filesystem::path& file, int layout, const OverwriteQuestion& ask);

    struct TArea {
        std::string text;
        std::size_t length = 0; // characters set
        std::string_view preset;
    };

private:
    std::string BuildPicLayout() const;
    std::string BuildPlainLayout() const;

    std::array<TArea, 4> areas_;
};

} // namespace korvex
