#pragma once

#include <string>

namespace korvex {

class TPortMap;

// The port as the user named it, for every message about it in every face: a
// device path as given, "the built-in simulator", or "COM3 (/dev/ttyS2)" for
// a COM item (whose number alone says nothing when a path stands in its place).
struct TPortName {
    static constexpr const char* kSimulator = "the built-in simulator";

    std::string text;
    bool simulator = false;

    // The COM item `comNumber` and the device the map gives it.
    static TPortName OfItem(const TPortMap& map, int comNumber);

    // "cannot open /dev/ttyUSB0: <reason>", "cannot start the built-in
    // simulator: <reason>".
    std::string CannotOpen(const std::string& reason) const;
    std::string NotAnswering() const;
};

} // namespace korvex
