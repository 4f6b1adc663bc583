#pragma once

#include "support/errors.h"

namespace korvex {

// A serial value that cannot go onto the card: it does not fit its field, a
// list line is not written in the field's format, or the field would leave
// its memory or cover the image's own data.
class ESerialValue : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A counter past its last value or a list with no line left: no card can be
// given a value of this field until the card type is changed.
class ESerialsUsedUp : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// The shared database could not be reached, refused a statement or holds a
// schema this program does not know. The message never holds a password.
class EDatabase : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A connection string that is not used at all: it cannot be read, or it
// holds a password. Nothing was tried with it; it is the user's to mend.
class EDatabaseUri : public EDatabase {
public:
    using EDatabase::EDatabase;
};

} // namespace korvex
