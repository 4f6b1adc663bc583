#include "workflows/production/productionrecord.h"

#include "support/atomicfile.h"
#include "support/csvread.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/folderlock.h"
#include "support/localzone.h"
#include "support/readfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool NeedsQuotes(std::string_view field) {
    return field.find_first_of(",\"\r\n") != std::string_view::npos ||
           (!field.empty() && (IsBlank(field.front()) || IsBlank(field.back())));
}

std::string OptionalNumber(const std::optional<int>& number) {
    return number ? std::to_string(*number) : std::string();
}

// The column names of a record's header line; nullopt for a file that is no
// record: one whose first line does not begin with the columns every record
// has had. Any line end will do, and a header without one.
std::optional<std::vector<std::string>> RecordColumns(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    std::vector<std::vector<std::string>> lines;
    try {
        lines = ParseCsv(text.substr(0, end));
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    const std::vector<std::string>& first = ProductionRecordHeader();
    if (lines.empty() || lines[0].size() < kFirstRecordColumns ||
        !std::equal(first.begin(), first.begin() + kFirstRecordColumns, lines[0].begin())) {
        return std::nullopt;
    }
    return lines[0];
}

std::string ReadRecord(const std::filesystem::path& file) {
    try {
        return ReadFileIfExists(file).value_or(std::string());
    } catch (const EInOutError& error) {
        throw EInOutError(std::string("Cannot read the production record (") + error.what() +
                              "); choose a file you can read and write",
                          file.string());
    }
}

[[noreturn]] void RefuseForeignFile(const std::filesystem::path& file) {
    throw EInOutError("Not a production record: it does not begin with the record's header "
                      "line; choose another file or a new one",
                      file.string());
}

} // namespace

const std::vector<std::string>& ProductionRecordHeader() {
    static const std::vector<std::string> header = {"time",
                                                    "sequence",
                                                    "card type",
                                                    "program file",
                                                    "program sha256",
                                                    "eeprom file",
                                                    "eeprom sha256",
                                                    "internal eeprom file",
                                                    "internal eeprom sha256",
                                                    "outcome",
                                                    "failing step",
                                                    "first difference",
                                                    "expected",
                                                    "found",
                                                    "bytes differing",
                                                    "duration ms",
                                                    "firmware",
                                                    "retries",
                                                    "run",
                                                    "station",
                                                    "recovered",
                                                    "port"};
    return header;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        const std::string& field = fields[i];
        // A lone empty field unquoted would be an empty line, which readers
        // take for no fields at all.
        if (!NeedsQuotes(field) && !(fields.size() == 1 && field.empty())) {
            line += field;
            continue;
        }
        line += '"';
        for (char c : field) {
            if (c == '"') {
                line += '"';
            }
            line += c;
        }
        line += '"';
    }
    line += kLineEnd;
    return line;
}

std::vector<std::string> ProductionRecordFields(const TProductionRow& row) {
    std::vector<std::string> fields = {row.localTime,
                                       std::to_string(row.sequence),
                                       row.cardType,
                                       row.programFile,
                                       row.programSha256,
                                       row.eepromFile,
                                       row.eepromSha256,
                                       row.intEepromFile,
                                       row.intEepromSha256,
                                       row.outcome,
                                       row.failingStep,
                                       row.difference,
                                       row.expected,
                                       row.found,
                                       OptionalNumber(row.differingBytes),
                                       std::to_string(row.durationMs),
                                       OptionalNumber(row.firmware),
                                       std::to_string(row.retries),
                                       row.run,
                                       row.station,
                                       row.recovered ? "yes" : "",
                                       row.port};
    for (const auto& column : row.more) {
        fields.push_back(column.second);
    }
    return fields;
}

std::vector<std::pair<std::string, std::string>>
ProductionRecordColumns(const TProductionRow& row) {
    const std::vector<std::string> fields = ProductionRecordFields(row);
    std::vector<std::pair<std::string, std::string>> columns;
    const std::vector<std::string>& header = ProductionRecordHeader();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        columns.emplace_back(i < header.size() ? header[i] : row.more[i - header.size()].first,
                             fields[i]);
    }
    return columns;
}

std::string LocalIsoTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(when));
    const std::optional<std::tm> zoned = LocalTimeOf(seconds);
    if (!zoned) {
        throw std::runtime_error("The local time could not be determined; check the time zone "
                                 "setting (TZ)");
    }
    const std::tm& local = *zoned;
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff;
    const long minutes = std::labs(offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return std::string(text, length) + zone;
}

TPProductionRecord::TPProductionRecord(std::filesystem::path file) : file_(std::move(file)) {}

void TPProductionRecord::Check() const {
    const std::string existing = ReadRecord(file_);
    if (!existing.empty() && !RecordColumns(existing)) {
        RefuseForeignFile(file_);
    }

    // The same rule as the atomic write: a file the user marked read-only is
    // kept, even by root, who could write it.
    // The rows go to the file a link names, and a new file is made in its folder.
    const std::filesystem::path target = ResolveLink(file_);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 &&
        (::access(target.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0)) {
        throw EInOutError("The production record is read-only; make it writable or choose "
                          "another file",
                          file_.string());
    }

    // Every line is written to a new file in the folder that then replaces
    // the record, so the folder must take new files even when the record
    // exists.
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw EInOutError("The folder of the production record does not exist; create it or "
                          "choose another file",
                          file_.string());
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw EInOutError(std::string("Cannot create files in the folder of the production "
                                      "record (") +
                              std::strerror(errno) + "); choose a folder you can write to",
                          file_.string());
    }
}

void TPProductionRecord::Append(const TProductionRow& row) {
    Append(ProductionRecordColumns(row));
}

void TPProductionRecord::Append(const std::vector<std::pair<std::string, std::string>>& columns) {
    // Several programmers of a station add their cards to one record: each
    // reads and replaces it in its turn, or one card's line would be lost.
    std::optional<TFolderLock> turn;
    try {
        turn.emplace(ResolveLink(file_).parent_path());
    } catch (const EInOutError& error) {
        throw EInOutError(std::string("Cannot add the card to the production record (") +
                              error.what() +
                              "); make room on its disk, make the file and its folder writable, "
                              "or choose another file",
                          file_.string());
    }
    std::vector<std::string> names;
    for (const auto& column : columns) {
        names.push_back(column.first);
    }
    std::string contents = ReadRecord(file_);
    if (contents.empty()) {
        contents = CsvLine(names);
    } else {
        const auto fileColumns = RecordColumns(contents);
        if (!fileColumns) {
            RefuseForeignFile(file_);
        }
        names = *fileColumns;
        if (contents.back() == '\r') {
            contents += '\n';
        } else if (contents.back() != '\n') {
            contents += kLineEnd;
        }
    }
    // The file's own columns, in its order: a column the row does not have
    // stays empty, one the file does not have is not written.
    std::vector<std::string> fields;
    for (const std::string& name : names) {
        const auto found = std::find_if(columns.begin(), columns.end(),
                                        [&](const auto& column) { return column.first == name; });
        fields.push_back(found == columns.end() ? std::string() : found->second);
    }
    contents += CsvLine(fields);
    try {
        WriteFileAtomically(file_, contents);
    } catch (const EInOutError& error) {
        throw EInOutError(
            std::string("Cannot add the card to the production record (") + error.what() +
                "); make room on its disk, make the file and its folder writable, or choose "
                "another file",
            file_.string());
    }
}

} // namespace korvex
