#pragma once

#include "serials/recordsummary.h"

#include <cstdint>
#include <string>

namespace korvex::cli {

// The summary of a production record as one JSON object on one line, for a
// script that charts the line: the time range and card type it took, the
// cards of all stations, of each and of each of its hours (counts, the
// yield and first-pass yield as shares of 1, failures by step and by first
// difference, cards an hour), the last serial values and what was left out.
std::string SummaryJson(const TRecordSummary& summary);

// A moment of the range (seconds since 1970 UTC) as the record writes times.
std::string RangeMoment(std::int64_t seconds);

} // namespace korvex::cli
