#include "serials/record/recordoutbox.h"

#include "serials/postgres/pgarray.h"
#include "serials/postgres/pgrecordsink.h"
#include "serials/postgres/shareddatabase.h"
#include "support/csvread.h"
#include "support/errors.h"
#include "support/readfile.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <stdexcept>

namespace korvex {

namespace {

std::optional<std::size_t> ColumnOf(const std::vector<std::string>& header, std::string_view name) {
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? std::nullopt
                                 : std::optional(static_cast<std::size_t>(found - header.begin()));
}

std::string Key(const std::string& station, const std::string& run, int sequence) {
    return station + '\n' + run + '\n' + std::to_string(sequence);
}

} // namespace

std::vector<TKeyedLine> KeyedLinesOf(std::string_view text, const std::string& station) {
    const std::vector<std::vector<std::string>> rows = ParseCsv(text);
    if (rows.empty()) {
        return {};
    }
    const std::vector<std::string>& header = rows.front();
    const auto time = ColumnOf(header, "time");
    const auto sequence = ColumnOf(header, "sequence");
    if (!time || !sequence) {
        throw std::invalid_argument("its header has no \"time\" or no \"sequence\" column");
    }
    const auto stationColumn = ColumnOf(header, "station");
    const auto runColumn = ColumnOf(header, "run");
    std::vector<TKeyedLine> lines;
    std::string runOfEarlierVersion;
    for (std::size_t row = 1; row < rows.size(); ++row) {
        TKeyedLine line;
        for (std::size_t column = 0; column < header.size(); ++column) {
            line.columns.push_back(
                {header[column], column < rows[row].size() ? rows[row][column] : std::string()});
        }
        const std::string& number = line.columns[*sequence].value;
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), line.sequence);
        if (error != std::errc() || end != number.data() + number.size()) {
            throw std::invalid_argument("card line " + std::to_string(row) +
                                        " has the sequence \"" + number + "\", which is no number");
        }
        line.station = stationColumn ? line.columns[*stationColumn].value : std::string();
        line.station = line.station.empty() ? station : line.station;
        line.run = runColumn ? line.columns[*runColumn].value : std::string();
        if (line.run.empty()) {
            if (lines.empty() || line.sequence != lines.back().sequence + 1) {
                runOfEarlierVersion = line.columns[*time].value;
            }
            line.run = runOfEarlierVersion;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<TKeyedLine> ReadKeyedRecord(const std::filesystem::path& file,
                                        const std::string& station) {
    try {
        return KeyedLinesOf(ReadFileIfExists(file).value_or(std::string()), station);
    } catch (const std::invalid_argument& error) {
        throw EInOutError(std::string("Not a production record: ") + error.what(), file.string());
    }
}

std::vector<const TKeyedLine*> TPRecordOutbox::Missing(TPSharedDatabase& database,
                                                       const std::vector<TKeyedLine>& lines) {
    std::set<std::pair<std::string, std::string>> runs;
    for (const TKeyedLine& line : lines) {
        runs.emplace(line.station, line.run);
    }
    std::vector<std::string> stations, names;
    for (const auto& [station, run] : runs) {
        stations.push_back(station);
        names.push_back(run);
    }
    const TPPgResult held =
        database.Connection().Exec("SELECT r.station, r.run, r.sequence FROM card_records r JOIN "
                                   "unnest($1::text[], $2::text[]) AS k(station, run) "
                                   "ON r.station = k.station AND r.run = k.run",
                                   {PgArray(stations), PgArray(names)});
    std::set<std::string> keys;
    for (int row = 0; row < held.Rows(); ++row) {
        keys.insert(Key(held.Value(row, 0).value_or(""), held.Value(row, 1).value_or(""),
                        std::stoi(held.Value(row, 2).value_or("0"))));
    }
    std::vector<const TKeyedLine*> missing;
    for (const TKeyedLine& line : lines) {
        if (!keys.contains(Key(line.station, line.run, line.sequence))) {
            missing.push_back(&line);
        }
    }
    return missing;
}

bool TPRecordOutbox::SendLine(TPSharedDatabase& database, const TKeyedLine& line) {
    return InsertRecordLine(database, line.station, line.run, line.columns);
}

int TPRecordOutbox::Send(TPSharedDatabase& database) {
    const std::vector<TKeyedLine> lines = ReadKeyedRecord(record_, station_);
    int sent = 0;
    if (!asked_) {
        for (const TKeyedLine* line : Missing(database, lines)) {
            sent += SendLine(database, *line) ? 1 : 0;
        }
        asked_ = true;
        known_ = lines.size();
        return sent;
    }
    for (; known_ < lines.size(); ++known_) {
        sent += SendLine(database, lines[known_]) ? 1 : 0;
    }
    return sent;
}

} // namespace korvex
