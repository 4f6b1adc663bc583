#pragma once

#include "sim/simdevice.h"

#include <string>
#include <vector>

namespace korvex::testing {

// The frames a simulated programmer received, in a short form: the letter,
// the device digit and the data ("A23" = select mode 3 for device 2, "E20010").
inline std::vector<std::string> ShortFrames(const sim::TSimDevice& device) {
    std::vector<std::string> sent;
    for (const auto& frame : device.Frames()) {
        std::string text(1, frame.command);
        if (frame.device != '\0') {
            text += frame.device;
        }
        sent.push_back(text + frame.data);
    }
    return sent;
}

} // namespace korvex::testing
