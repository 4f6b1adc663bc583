#pragma once

#include "support/errors.h"

#include <cstdint>
#include <string>

namespace korvex {

// A catalogue file or a lookup went past the fixed table: more than 50
// entries, a field of more than 29 characters, or a cell outside 1..50 x 1..20.
class ECfgOutOfBounds : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A lookup failed inside a catalogue, typically a kind code that is not a number.
class EErrorsInCfg : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A card type name the program cannot keep: its file could not be found
// again under that name. An INI write error, as any name that cannot form a
// file name is, with a message that says what a name may not hold.
class ECardName : public EIniFileException {
public:
    using EIniFileException::EIniFileException;
};

// A card type that is not there, or one the user cannot delete.
class ECardType : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A serial field of a card type file that cannot be used; the message names
// the file and the field: "cards/X.ini [Serial1]: Length 0: ...".
class ESerialField : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// The eight-digit failure location carried by catalogue messages: a stable
// code per place that raises, so a report can name the place.
std::string FailureLocation(std::uint32_t code);

} // namespace korvex
