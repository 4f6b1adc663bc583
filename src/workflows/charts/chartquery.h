#pragma once

#include "serials/postgres/pgwait.h"
#include "serials/record/recordsummary.h"

#include <atomic>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace korvex {

enum class TChartSource { csRecord, csDatabase };

// A read of the record the charts are drawn from: everything it needs, held
// by value, so that it may run on any thread while the window goes on.
struct TChartQuery {
    TChartSource source = TChartSource::csRecord;
    std::filesystem::path record;
    std::string database; // a connection string without a password
    // The station of a local record's lines that name none.
    std::string station;
    TRecordFilter filter;
    // The bounds of every wait for the database; a read given up (a newer
    // one took its place, the window went) turns `cancelled` true.
    int databaseWaitMs = TPgWait::kDefaultLimitMs;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

// How a read ended: the summary `korvex-cli records` prints of the same
// record and filter, or why there is none.
struct TChartRead {
    std::optional<TRecordSummary> summary;
    std::exception_ptr error; // EInOutError, EDatabase or another std::exception
};

// Reads the summary; never throws. The database is asked within the wait's
// bounds, and a cancelled read gives its wait up at once.
TChartRead ReadChart(const TChartQuery& query) noexcept;

} // namespace korvex
