#pragma once

#include "images/hexbuffer.h"

namespace korvex {

// The six memory images the window keeps, each with its capacity in characters.
struct TPImages {
    THexFileBuffer intEeprom{0x20000};
    THexFileBuffer config{0x10000};
    THexFileBuffer program{0x80000};
    THexFileBuffer loader{0x40000};
    THexFileBuffer loaderConfig{0x10000};
    THexFileBuffer extEeprom{0x40000};
};

} // namespace korvex
