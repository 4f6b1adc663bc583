#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex {

// One programmed card as the production record keeps it: which images went in
// (by name and digest, so a batch can be traced to the exact files), how it
// ended, and, for a failure, where the card first differed.
struct TProductionRow {
    std::string localTime; // ISO 8601 local time with offset, e.g. 2026-12-07T16:05:09+01:00
    int sequence = 0;      // 1, 2, ... within the run
    std::string cardType;
    std::string programFile, programSha256;
    std::string eepromFile, eepromSha256;
    std::string intEepromFile, intEepromSha256;
    std::string outcome;     // "good", "failed", "interrupted"
    std::string failingStep; // e.g. "eeprom verify"; empty when good
    std::string difference;  // first differing address, e.g. "eeprom byte 0x0010"; empty when none
    std::string expected, found; // hex digits of the first differing unit; empty when none
    std::optional<int> differingBytes;
    std::int64_t durationMs = 0;
    std::optional<int> firmware; // programmer firmware version, when known
    int retries = 0;             // steps run again after a fault on the line
    // The run the card belongs to (its start time, to the millisecond) and
    // the station's name: with the sequence, the line's key in the shared
    // database.
    std::string run;
    std::string station;
    // The line was written at the start of a later run, from the journal of
    // a card whose run ended before it could record it.
    bool recovered = false;
    // The programmer's port the card was in: a station with several tells
    // them apart by it.
    std::string port;
    // Columns beyond those above, by name and value, in their order.
    std::vector<std::pair<std::string, std::string>> more;
};

// The header line's fields, in column order: the columns every record has
// had, then those added since; a row's own further columns follow them.
const std::vector<std::string>& ProductionRecordHeader();
// The first columns, which every record file begins with whatever version
// made it.
constexpr std::size_t kFirstRecordColumns = 17;

// One RFC 4180 record: fields joined by commas, a field quoted when it holds a
// comma, a double quote (doubled), CR or LF, or leading/trailing blanks (which
// spreadsheets would otherwise trim); ends with CRLF.
std::string CsvLine(const std::vector<std::string>& fields);

// The row's fields in the header's column order, then its further columns;
// an unknown number is empty.
std::vector<std::string> ProductionRecordFields(const TProductionRow& row);
// The row's fields by column name, in the same order.
std::vector<std::pair<std::string, std::string>> ProductionRecordColumns(const TProductionRow& row);

// The moment in the machine's local time zone, to the second, with the zone's
// offset from UTC: 2026-12-07T16:05:09+01:00.
std::string LocalIsoTime(std::chrono::system_clock::time_point when);

// The production record file: a CSV file, one line for every card a
// production run programmed, that grows across runs and survives a crash.
class TPProductionRecord {
public:
    explicit TPProductionRecord(std::filesystem::path file);

    // Checks the file can be used before the first card, so a run never
    // programs a card it cannot record: a new or empty file is fine (nothing
    // is written yet) when its folder exists and takes new files; an existing
    // one must begin with the header line and not be read-only. Throws
    // EInOutError naming the file, saying what is wrong and what to do.
    void Check() const;

    // Appends one line atomically: a crash never leaves half a line and never
    // loses the rows before. A new or empty file gets the header line first,
    // with the row's columns. A record an earlier version made keeps its own
    // columns: the row fills those it has, and nothing in the file is
    // rewritten. A file that is not a production record is refused
    // untouched. Throws EInOutError naming the file; the file is then as it
    // was.
    void Append(const TProductionRow& row);
    // The same for a line given column by column (a line the journal kept).
    void Append(const std::vector<std::pair<std::string, std::string>>& columns);

    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
};

} // namespace korvex
