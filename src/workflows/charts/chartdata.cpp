#include "workflows/charts/chartdata.h"

#include "workflows/session/failstep.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>

namespace korvex {

namespace {

using namespace std::chrono;

// The part of a tally the bars show.
struct TBar {
    int good = 0;
    int failed = 0;
    int interrupted = 0;
    int firstPass = 0;

    template <typename Counts>
    void Add(const Counts& counts) {
        good += counts.good;
        failed += counts.failed;
        interrupted += counts.interrupted;
        firstPass += counts.firstPass;
    }
};

std::optional<int> Digits(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value)
                                                                    : std::nullopt;
}

// The hour a summary names ("2026-12-07T16", the record's local time) as
// hours since 1970 of the calendar, no time zone taken into account: the
// bars keep the record's own clock. A day past its month's end counts on
// into the next, as the record's times do. Nothing for any other text.
std::optional<std::int64_t> CivilHour(const std::string& key) {
    if (key.size() != 13 || key[4] != '-' || key[7] != '-' || key[10] != 'T') {
        return std::nullopt;
    }
    const auto year = Digits(std::string_view(key).substr(0, 4));
    const auto month = Digits(std::string_view(key).substr(5, 2));
    const auto day = Digits(std::string_view(key).substr(8, 2));
    const auto hour = Digits(std::string_view(key).substr(11, 2));
    if (!year || !month || !day || !hour || *month < 1 || *month > 12 || *day < 1 || *day > 31 ||
        *hour > 23) {
        return std::nullopt;
    }
    const sys_days date{std::chrono::year(*year) / std::chrono::month(*month) /
                        std::chrono::day(*day)};
    return date.time_since_epoch().count() * 24 + *hour;
}

std::int64_t DayOf(std::int64_t civilHour) {
    return civilHour >= 0 ? civilHour / 24 : (civilHour - 23) / 24;
}

year_month_day DateOf(std::int64_t civilHour) {
    return year_month_day{sys_days{std::chrono::days(DayOf(civilHour))}};
}

// "16:00" when the bars are of one day, "12-07 16:00" of one year, else the
// whole date; a day: its date.
std::string Label(std::int64_t civilHour, bool byDay, bool oneDay, bool oneYear) {
    const year_month_day date = DateOf(civilHour);
    const int year = static_cast<int>(date.year());
    const auto month = static_cast<unsigned>(date.month());
    const auto day = static_cast<unsigned>(date.day());
    const auto hour = static_cast<int>(civilHour - DayOf(civilHour) * 24);
    char text[32];
    if (byDay) {
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", year, month, day);
    } else if (oneDay) {
        std::snprintf(text, sizeof text, "%02d:00", hour);
    } else if (oneYear) {
        std::snprintf(text, sizeof text, "%02u-%02u %02d:00", month, day, hour);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:00", year, month, day, hour);
    }
    return text;
}

TChartBucket BucketOf(std::string label, const TBar& bar) {
    const int judged = bar.good + bar.failed;
    return {std::move(label), bar.good, bar.failed, bar.interrupted,
            judged > 0 ? std::optional(static_cast<double>(bar.firstPass) / judged) : std::nullopt};
}

// The bars of the hours (or days) with cards, with those between them while
// they are few enough to keep time.
void FillBuckets(const std::map<std::int64_t, TBar>& hours, TChartData& data) {
    if (hours.empty()) {
        return;
    }
    const std::int64_t first = hours.begin()->first;
    const std::int64_t last = hours.rbegin()->first;
    const bool oneDay = DayOf(first) == DayOf(last);
    const bool oneYear = DateOf(first).year() == DateOf(last).year();
    data.byDay = last - first + 1 > kMostHourBars;
    if (!data.byDay) {
        for (std::int64_t hour = first; hour <= last; ++hour) {
            const auto found = hours.find(hour);
            data.buckets.push_back(BucketOf(Label(hour, false, oneDay, oneYear),
                                            found == hours.end() ? TBar() : found->second));
        }
        return;
    }
    std::map<std::int64_t, TBar> days;
    for (const auto& [hour, bar] : hours) {
        days[DayOf(hour)].Add(bar);
    }
    const std::int64_t firstDay = days.begin()->first;
    const std::int64_t lastDay = days.rbegin()->first;
    const bool everyDay = lastDay - firstDay + 1 <= kMostDayBars;
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
        const auto found = days.find(day);
        if (everyDay || found != days.end()) {
            data.buckets.push_back(BucketOf(Label(day * 24, true, false, false),
                                            found == days.end() ? TBar() : found->second));
        }
    }
}

// The sequence's order of a step the record names; names it does not know
// (an older record's) after those it does.
int StepOrder(const std::string& name) {
    const std::optional<TFailStep> step = FailStepNamed(name);
    return static_cast<int>(step.value_or(TFailStep::fsSerial)) + (step ? 0 : 1);
}

} // namespace

TChartAxis CountAxis(int most) {
    int step = 1;
    for (int scale = 1; most > 5 * step; scale *= 10) {
        for (const int factor : {1, 2, 5}) {
            step = factor * scale;
            if (most <= 5 * step) {
                break;
            }
        }
    }
    const int steps = std::max(1, (most + step - 1) / step);
    return {steps * step, steps + 1};
}

TChartData ChartDataOf(const TRecordSummary& summary, const std::string& station) {
    TChartData data;
    std::map<std::int64_t, TBar> hours;
    for (const auto& [name, ofStation] : summary.hours) {
        if (!station.empty() && name != station) {
            continue;
        }
        for (const auto& [key, tally] : ofStation) {
            if (const auto hour = CivilHour(key)) {
                hours[*hour].Add(tally);
            } else {
                data.undated += tally.Cards();
            }
        }
    }
    FillBuckets(hours, data);

    if (station.empty()) {
        data.tally = summary.total;
    } else if (const auto found = summary.stations.find(station); found != summary.stations.end()) {
        data.tally = found->second;
    }
    data.steps.assign(data.tally.failingSteps.begin(), data.tally.failingSteps.end());
    std::stable_sort(data.steps.begin(), data.steps.end(), [](const auto& a, const auto& b) {
        return std::pair(-a.second, StepOrder(a.first)) < std::pair(-b.second, StepOrder(b.first));
    });

    int most = 0;
    for (const TChartBucket& bucket : data.buckets) {
        most = std::max(most, bucket.good + bucket.failed);
    }
    data.cardsAxis = CountAxis(most);
    data.stepsAxis = CountAxis(data.steps.empty() ? 0 : data.steps.front().second);
    return data;
}

} // namespace korvex
