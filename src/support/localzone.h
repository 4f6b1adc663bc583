#pragma once

#include <ctime>
#include <optional>

namespace korvex {

// The machine's time zone is the process's, kept by the C library, which
// frees and rebuilds it when it reads TZ again: one thread at a time reads
// it, so the threads of several programmers stamping their cards never meet
// in it, and a zone changed while the program runs is seen.

// The moment in local time; nothing when the C library cannot tell it.
std::optional<std::tm> LocalTimeOf(std::time_t seconds);
// mktime: the moment a local time (tm_isdst -1: as the zone has it) stands for.
std::time_t SecondsOfLocalTime(std::tm local);

} // namespace korvex
