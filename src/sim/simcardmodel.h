#pragma once

#include "support/datafolders.h"
#include "support/errors.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace korvex::sim {

// The simulator could not be set up as asked: an unknown card type, processor
// or EEPROM, a bad fault description, a memory file that does not fit.
class ESimSetup : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// What a simulated card carries, as the catalogues of the data folders
// describe it.
struct TSimCardModel {
    std::string processor;
    int kind = 3; // 7 or below: PIC family; 8 and above: AVR family
    int programWords = 0;
    int dataBytes = 0;
    std::string idA; // identification as read from the card
    std::string idB; // what a locked AVR answers instead
    std::string eepromName = "None";
    int eepromKind = -1; // the kind code that applies behind this processor
    int eepromBytes = 0; // 0: the card has no external EEPROM

    bool IsAvr() const { return kind >= 8; }
};

// The card of card type `cardType` (cards/<cardType>.ini, the user's or the
// program folder's).
TSimCardModel SimCardModelForCardType(const TPDataFolders& folders, std::string_view cardType);

// A card with processor `processor` and external EEPROM `eeprom` ("None" for
// none), looked up in cards/pics.cfg and eeproms.cfg.
TSimCardModel SimCardModelForParts(const TPDataFolders& folders, std::string_view processor,
                                   std::string_view eeprom = "None");

} // namespace korvex::sim
