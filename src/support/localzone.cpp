#include "support/localzone.h"

#include <mutex>

namespace korvex {

namespace {

std::mutex& ZoneTurn() {
    static std::mutex turn;
    return turn;
}

} // namespace

std::optional<std::tm> LocalTimeOf(std::time_t seconds) {
    const std::lock_guard<std::mutex> turn(ZoneTurn());
    // localtime_r need not look at TZ again; a zone changed while the
    // program runs would otherwise be missed.
    ::tzset();
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return local;
}

std::time_t SecondsOfLocalTime(std::tm local) {
    const std::lock_guard<std::mutex> turn(ZoneTurn());
    return std::mktime(&local);
}

} // namespace korvex
