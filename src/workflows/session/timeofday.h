#pragma once

#include "link/clock.h"

#include <cstdint>
#include <string>

namespace korvex {

// The time of day, "14:02:11", at which `clock` read `ms`.
std::string TimeOfDay(TClock& clock, std::int64_t ms);

} // namespace korvex
