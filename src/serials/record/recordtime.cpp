#include "serials/record/recordtime.h"

#include "support/localzone.h"

#include <ctime>
#include <string>

namespace korvex {

namespace {

// Days from 1970-01-01 to the date, for a year from 1000 on; a month or day
// out of its range counts on, as the database's expression does.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = y / 400;
    const std::int64_t yearOfEra = y % 400;
    const std::int64_t dayOfYear = (153 * ((month + 9) % 12) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// The number of the digits text[at, at + count), when each lies in [low, high]
// for the first and is a digit for the others; -1 otherwise.
int Digits(std::string_view text, std::size_t at, std::size_t count, char low = '0',
           char high = '9') {
    if (at + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < (i == at ? low : '0') || c > (i == at ? high : '9')) {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

struct TClock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "YYYY-MM-DD" at the start of `text`.
bool ReadDate(std::string_view text, TClock& clock) {
    clock.year = Digits(text, 0, 4, '1');
    clock.month = Digits(text, 5, 2);
    clock.day = Digits(text, 8, 2);
    return text.size() >= 10 && text[4] == '-' && text[7] == '-' && clock.year >= 0 &&
           Within(clock.month, 1, 12) && Within(clock.day, 1, 31);
}

// "HH:MM" at `at`, then ":SS" when `seconds`; gives the end.
std::size_t ReadTime(std::string_view text, std::size_t at, bool seconds, TClock& clock) {
    clock.hour = Digits(text, at, 2);
    clock.minute = Digits(text, at + 3, 2);
    clock.second = seconds ? Digits(text, at + 6, 2) : 0;
    const bool ok =
        at + 5 <= text.size() && text[at + 2] == ':' && Within(clock.hour, 0, 23) &&
        Within(clock.minute, 0, 59) &&
        (!seconds || (at + 8 <= text.size() && text[at + 5] == ':' && Within(clock.second, 0, 59)));
    return ok ? at + (seconds ? 8 : 5) : std::string_view::npos;
}

// "Z" or "+HH:MM"/"-HH:MM", the whole rest of `text`: seconds east of UTC.
std::optional<std::int64_t> ReadZone(std::string_view zone) {
    if (zone == "Z") {
        return 0;
    }
    const int hours = Digits(zone, 1, 2, '0', '1');
    const int minutes = Digits(zone, 4, 2, '0', '5');
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' || hours < 0 ||
        minutes < 0) {
        return std::nullopt;
    }
    return (zone[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
}

std::int64_t Seconds(const TClock& clock, std::int64_t zone) {
    return DaysFromCivil(clock.year, clock.month, clock.day) * 86400 + clock.hour * 3600 +
           clock.minute * 60 + clock.second - zone;
}

} // namespace

std::optional<std::int64_t> RecordTimeSeconds(std::string_view text) {
    TClock clock;
    if (!ReadDate(text, clock) || text.size() < 11 || text[10] != 'T') {
        return std::nullopt;
    }
    const std::size_t end = ReadTime(text, 11, true, clock);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> zone = ReadZone(text.substr(end));
    return zone ? std::optional(Seconds(clock, *zone)) : std::nullopt;
}

std::string RecordTimeSql(std::string_view column) {
    const std::string c(column);
    const std::string month = "substr(" + c + ", 6, 2)::int";
    const std::string year = "(substr(" + c + ", 1, 4)::int - (" + month + " <= 2)::int)";
    const auto part = [&](int at, int seconds) {
        return "substr(" + c + ", " + std::to_string(at) + ", 2)::int * " + std::to_string(seconds);
    };
    return "CASE WHEN " + c +
           " ~ '^[1-9][0-9]{3}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])T([01][0-9]|2[0-3]):"
           "[0-5][0-9]:[0-5][0-9](Z|[+-][01][0-9]:[0-5][0-9])$' THEN ((" +
           year + " / 400) * 146097 + (" + year + " % 400) * 365 + (" + year + " % 400) / 4 - (" +
           year + " % 400) / 100 + (153 * ((" + month + " + 9) % 12) + 2) / 5 + " + part(9, 1) +
           " - 1 - 719468)::bigint * 86400 + " + part(12, 3600) + " + " + part(15, 60) + " + " +
           part(18, 1) + " - CASE WHEN length(" + c + ") = 20 THEN 0 ELSE (CASE WHEN substr(" + c +
           ", 20, 1) = '-' THEN -1 ELSE 1 END) * (" + part(21, 3600) + " + " + part(24, 60) +
           ") END END";
}

std::optional<std::int64_t> RangeTimeSeconds(std::string_view text, bool dayEnd) {
    TClock clock;
    if (!ReadDate(text, clock) || clock.day > DaysInMonth(clock.year, clock.month)) {
        return std::nullopt;
    }
    std::size_t end = 10;
    const bool dateOnly = text.size() == 10;
    if (!dateOnly) {
        if (text[10] != 'T' && text[10] != ' ') {
            return std::nullopt;
        }
        const bool seconds = text.size() > 16 && text[16] == ':';
        end = ReadTime(text, 11, seconds, clock);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
    }
    if (end < text.size()) {
        const std::optional<std::int64_t> zone = ReadZone(text.substr(end));
        if (!zone) {
            return std::nullopt;
        }
        return Seconds(clock, *zone);
    }
    std::tm local{};
    local.tm_year = clock.year - 1900;
    local.tm_mon = clock.month - 1;
    local.tm_mday = clock.day + (dateOnly && dayEnd ? 1 : 0);
    local.tm_hour = clock.hour;
    local.tm_min = clock.minute;
    local.tm_sec = clock.second;
    local.tm_isdst = -1;
    const std::time_t moment = SecondsOfLocalTime(local);
    if (moment == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(moment);
}

} // namespace korvex
