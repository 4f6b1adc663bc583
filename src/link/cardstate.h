#pragma once

namespace korvex {

// What the last poll learned about the programmer and its card. The ordinals
// are what the state change event carries.
enum class TPCardState : int {
    csNotConnected = 0, // no usable answer from the programmer
    csCardNotReady = 1, // the programmer answers, but with DLE
    csCardReady = 2,    // the programmer acknowledges
};

} // namespace korvex
