#pragma once

#include "serials/record/recordsummary.h"
#include "serials/record/recordtime.h"
#include "workflows/production/productionrecord.h"

#include <string>
#include <vector>

namespace korvex::testing {

// Cards of one station as a quality engineer meets them: a step run again, a
// pause, a line saved by a spreadsheet, a day past its month's end, times in
// two offsets out of order, a card type in another letter case.
inline std::vector<TProductionRow> YieldCards() {
    const struct {
        const char *time, *type, *outcome, *step, *difference;
        std::int64_t durationMs;
        int retries;
    } cards[] = {
        {"2026-12-07T16:00:00+01:00", "C", "good", "", "", 4000, 0},
        {"2026-12-07T16:00:10+01:00", "C", "failed", "eeprom verify", "eeprom byte 0x0010", 4000,
         0},
        {"2026-12-07T16:00:20+01:00", "c", "good", "", "", 4000, 1},
        {"2026-12-07T15:00:30Z", "C", "failed", "processor verify", "program word 0x0003", 4000, 0},
        {"2026-12-07T17:30:00+01:00", "C", "interrupted", "processor write", "", 2000, 0},
        {"2026-12-07T17:30:05+01:00", "other", "good", "", "", -5, 0},
        {"07.12.2026 17:40", "C", "good", "", "", 4000, 0},
        {"2026-02-30T10:00:00Z", "C", "failed", "eeprom verify", "eeprom byte 0x0010", 1000, 0},
    };
    std::vector<TProductionRow> rows;
    for (const auto& card : cards) {
        TProductionRow row;
        row.localTime = card.time;
        row.sequence = static_cast<int>(rows.size()) + 1;
        row.cardType = card.type;
        row.outcome = card.outcome;
        row.failingStep = card.step;
        row.difference = card.difference;
        row.durationMs = card.durationMs;
        row.retries = card.retries;
        rows.push_back(row);
    }
    return rows;
}

inline std::string CsvOf(const std::vector<TProductionRow>& rows) {
    std::string text = CsvLine(ProductionRecordHeader());
    for (const TProductionRow& row : rows) {
        text += CsvLine(ProductionRecordFields(row));
    }
    return text;
}

// From 16:00 (+01:00) on and before the card of "other"; of card type C.
inline TRecordFilter YieldRange() {
    return {RecordTimeSeconds("2026-12-07T15:00:00Z"), RecordTimeSeconds("2026-12-07T16:30:05Z"),
            "C"};
}

} // namespace korvex::testing
