#include "workflows/session/timeofday.h"

#include "support/localzone.h"

#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace korvex {

std::string TimeOfDay(TClock& clock, std::int64_t ms) {
    const auto ago = std::chrono::milliseconds(clock.NowMs() - ms);
    const std::time_t at =
        std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() - ago);
    const std::tm local = LocalTimeOf(at).value_or(std::tm{});
    std::ostringstream text;
    text << std::put_time(&local, "%H:%M:%S");
    return text.str();
}

} // namespace korvex
