#pragma once

#include "images/hexbuffer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvex {

enum class TViewKind { vkProgram, vkEeprom };

// What the file view window shows for an image file: the file read with the
// same rules as the main window reads it, as hex dump lines, so the user sees
// what would be written. The file is read at construction; its errors
// (missing file, malformed HEX) reach the caller.
class TPFileView {
public:
    static constexpr std::size_t kEepromCapacity = 262144;
    static constexpr std::size_t kProgramCapacity = 524288;

    TPFileView(std::filesystem::path file, TViewKind kind, bool avrKind);

    std::vector<std::string> MemoLines() const;
    // The window's title word, then the file.
    std::string Caption(const std::string& title = "HexView") const {
        return title + " - " + file_.string();
    }

private:
    void ReadFile();

    std::filesystem::path file_;
    TViewKind kind_;
    bool avrKind_;
    THexFileBuffer eepromView_{kEepromCapacity};
    THexFileBuffer dataEeprom_{kEepromCapacity};
    THexFileBuffer configuration_{kEepromCapacity};
    THexFileBuffer program_{kProgramCapacity};
};

} // namespace korvex
