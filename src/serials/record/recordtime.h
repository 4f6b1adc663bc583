#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The moment of a record line's time, as the record writes it
// (2026-12-07T16:05:09+01:00, or Z for UTC), in seconds since 1970 UTC;
// nothing for a text of any other shape (a record saved again by a
// spreadsheet, say). Only the shape is checked: a day past its month's end
// counts on into the next, exactly as the shared database's summary counts
// it (RecordTimeSql), so both give one answer for one record.
std::optional<std::int64_t> RecordTimeSeconds(std::string_view text);

// The same rule for the shared database: a PostgreSQL expression giving the
// seconds of the text column `column`, or NULL. It never fails on a row,
// whatever the row holds.
std::string RecordTimeSql(std::string_view column);

// A moment a user names for a range of the record: a date (2026-12-07), or a
// date and time to the minute or second (2026-12-07T16:00, a blank for the
// T), in this machine's local time unless an offset (+01:00) or Z follows. A
// date alone stands for the start of that day, or with `dayEnd` for the
// start of the next, so that a range ending on it takes the whole day.
// Nothing for a text of any other shape.
std::optional<std::int64_t> RangeTimeSeconds(std::string_view text, bool dayEnd);

} // namespace korvex
