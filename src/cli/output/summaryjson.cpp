#include "cli/output/summaryjson.h"

#include "support/json.h"
#include "workflows/production/productionrecord.h"

#include <chrono>
#include <cstdio>

namespace korvex::cli {

namespace {

// A share or a pace, null when there is none.
std::string Decimal(const std::optional<double>& value) {
    if (!value) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", *value);
    return text;
}

std::string Counts(const std::map<std::string, int>& counts) {
    TJsonObject object;
    for (const auto& [name, cards] : counts) {
        object.Number(name, cards);
    }
    return object.Json();
}

TJsonObject TallyObject(const TCardTally& tally) {
    TJsonObject object;
    object.Number("cards", tally.Cards())
        .Number("good", tally.good)
        .Number("failed", tally.failed)
        .Number("interrupted", tally.interrupted)
        .Number("first_pass", tally.firstPass)
        .Raw("yield", Decimal(tally.Yield()))
        .Raw("first_pass_yield", Decimal(tally.FirstPassYield()))
        .Raw("cards_per_hour", Decimal(tally.CardsPerHour()))
        .Raw("failing_steps", Counts(tally.failingSteps))
        .Raw("first_differences", Counts(tally.differences));
    if (tally.Cards() > 0) {
        object.Text("first_time", tally.firstTime).Text("last_time", tally.lastTime);
    } else {
        object.Null("first_time").Null("last_time");
    }
    return object;
}

TJsonObject& Moment(TJsonObject& object, std::string_view key,
                    const std::optional<std::int64_t>& seconds) {
    return seconds ? object.Text(key, RangeMoment(*seconds)) : object.Null(key);
}

} // namespace

std::string RangeMoment(std::int64_t seconds) {
    return LocalIsoTime(std::chrono::system_clock::from_time_t(static_cast<std::time_t>(seconds)));
}

std::string SummaryJson(const TRecordSummary& summary) {
    TJsonObject result;
    Moment(result, "since", summary.filter.since);
    Moment(result, "until", summary.filter.until);
    if (summary.filter.cardType.empty()) {
        result.Null("card_type");
    } else {
        result.Text("card_type", summary.filter.cardType);
    }
    result.Raw("all", TallyObject(summary.total).Json());
    std::vector<std::string> stations;
    for (const auto& [station, tally] : summary.stations) {
        std::vector<std::string> hours;
        for (const auto& [hour, inHour] : summary.hours.at(station)) {
            hours.push_back(TJsonObject().Text("hour", hour).Append(TallyObject(inHour)).Json());
        }
        stations.push_back(TJsonObject()
                               .Text("station", station)
                               .Append(TallyObject(tally))
                               .Raw("hours", JsonArray(hours))
                               .Json());
    }
    result.Raw("stations", JsonArray(stations));
    std::vector<std::string> serials, damage;
    for (const TSerialLast& last : summary.serials) {
        serials.push_back(TJsonObject()
                              .Text("card_type", last.cardType)
                              .Text("field", last.value.field)
                              .Text("value", last.value.text)
                              .Json());
    }
    for (const std::string& problem : summary.claimsDamage) {
        damage.push_back(JsonString(problem));
    }
    return result.Raw("card_types", Counts(summary.cardTypes))
        .Number("undated", summary.undated)
        .Raw("last_serials", JsonArray(serials))
        .Raw("claims_damage", JsonArray(damage))
        .Json();
}

} // namespace korvex::cli
