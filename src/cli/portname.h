#pragma once

#include <string>

namespace korvex::cli {

// The port as the user named it, for every message about it: a device path
// as given, "the built-in simulator", or "COM3 (/dev/ttyS2)" for a COM item
// (whose number alone says nothing when a path stands in its place).
struct TPortName {
    static constexpr const char* kSimulator = "the built-in simulator";

    std::string text;
    bool simulator = false;

    // "cannot open /dev/ttyUSB0: <reason>", "cannot start the built-in
    // simulator: <reason>".
    std::string CannotOpen(const std::string& reason) const;
    std::string NotAnswering() const;
};

} // namespace korvex::cli
