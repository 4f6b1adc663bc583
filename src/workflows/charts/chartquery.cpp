#include "workflows/charts/chartquery.h"

#include "serials/postgres/pgsummary.h"
#include "serials/postgres/shareddatabase.h"
#include "support/errors.h"
#include "support/readfile.h"

#include <stdexcept>

namespace korvex {

namespace {

TRecordSummary ReadRecord(const TChartQuery& query) {
    const std::string text = ReadWholeFile(query.record);
    try {
        return SummarizeCsvText(text, query.station, query.filter);
    } catch (const std::invalid_argument& error) {
        throw EInOutError(std::string("Not a production record: ") + error.what(),
                          query.record.string());
    }
}

TRecordSummary ReadDatabase(const TChartQuery& query) {
    const std::shared_ptr<std::atomic<bool>> cancelled = query.cancelled;
    TPSharedDatabase database(query.database,
                              {query.databaseWaitMs, [cancelled] { return cancelled->load(); }});
    return SummarizeDatabase(database, query.filter);
}

} // namespace

TChartRead ReadChart(const TChartQuery& query) noexcept {
    TChartRead read;
    try {
        read.summary =
            query.source == TChartSource::csDatabase ? ReadDatabase(query) : ReadRecord(query);
    } catch (...) {
        read.error = std::current_exception();
    }
    return read;
}

} // namespace korvex
