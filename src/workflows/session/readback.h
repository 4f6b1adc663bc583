#pragma once

#include "images/hexreader.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What the read-back window does with the data a read brought back from a
// card: shows them as hex dump lines and saves them as an Intel HEX file.
// A PIC-kind read and an external EEPROM read are saved in one file; an
// AVR-kind read in two: first the program memory, then the data EEPROM.
class TPReadBack {
public:
    static constexpr std::string_view kSaveFilter = "Hex File (*.hex)|*.hex";

    // `avrKind`: the card type's processor is of the AVR kind. `eeprom`: the
    // data are an external EEPROM read, passed as `mainText` with the other
    // two texts empty. Otherwise `mainText` is the program memory.
    TPReadBack(bool avrKind, bool eeprom, std::string configText, std::string dataText,
               std::string mainText);

    std::string ModeLabel() const;
    std::vector<std::string> MemoLines() const;
    bool SecondStage() const { return secondStage_; }

    // One press of the save button. `chosen` is the name picked in the save
    // dialog, nullopt when the dialog was cancelled; `ask` answers the
    // overwrite question. Returns whether a file was written: a cancelled
    // dialog or a refused overwrite leave the read as it was, to be saved
    // yet. A written first part of an AVR read moves on to its data EEPROM.
    // Errors from writing (EInOutError) reach the caller and leave the read
    // as it was. Nothing here closes the window: only its user does.
    bool Save(const std::optional<std::filesystem::path>& chosen,
              const TPHexReader::OverwriteQuestion& ask);

    // The file a chosen name is saved to: the name as chosen, with ".hex"
    // appended unless it already ends so, in any case, or names something
    // other than a file already (a device, a FIFO, a folder: refused then).
    static std::filesystem::path SaveName(std::string chosen);

private:
    bool avrKind_;
    bool eeprom_;
    std::string config_;
    std::string data_;
    std::string main_;
    bool secondStage_ = false;
};

} // namespace korvex
