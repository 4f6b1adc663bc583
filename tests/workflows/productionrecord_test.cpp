#include "common/ordinaryuser.h"
#include "common/runprogram.h"
#include "common/scopedenv.h"
#include "common/tempdir.h"
#include "support/errors.h"
#include "workflows/production/productionrecord.h"

#include <algorithm>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::TOrdinaryUser;
using testing::WriteText;
using Rows = std::vector<std::vector<std::string>>;
using namespace std::chrono;

namespace {

// The rows of a CSV file as Python's csv module reads it, each field passed
// back as hex digits of its UTF-8 bytes so nothing is lost on the way.
Rows ReadWithPython(const std::filesystem::path& file) {
    static const std::string kScript =
        "import csv, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
        "    for row in csv.reader(f, strict=True):\n"
        "        print(','.join(['row'] + [x.encode('utf-8').hex() for x in row]))\n";
    const auto result = testing::RunProgram("/usr/bin/python3", {"-c", kScript, file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Rows rows;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        for (std::size_t pos = line.find(','); pos != std::string::npos;) {
            const std::size_t next = line.find(',', pos + 1);
            const std::string hex = line.substr(pos + 1, next - pos - 1);
            std::string field;
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
                field += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            }
            row.push_back(field);
            pos = next;
        }
        rows.push_back(row);
    }
    return rows;
}

TProductionRow FailedRow(int sequence) {
    TProductionRow row;
    row.localTime = "2026-12-07T16:05:09+01:00";
    row.sequence = sequence;
    row.cardType = "PIC16F84-24C16";
    row.programFile = "Müller, \"final\".hex";
    row.programSha256 = "ab12";
    row.outcome = "failed";
    row.failingStep = "eeprom verify";
    row.difference = "eeprom byte 0x0010";
    row.expected = "5A";
    row.found = "FF";
    row.differingBytes = 3;
    row.durationMs = 1234;
    row.firmware = 5;
    return row;
}

// Runs `subject` as an ordinary user: 0 when it threw EInOutError naming `file`.
int ThrowsNaming(const std::filesystem::path& file, const std::function<void()>& subject) {
    return TOrdinaryUser::RunHere([&] {
        try {
            subject();
        } catch (const EInOutError& error) {
            return error.Path() == file.string() ? 0 : 1;
        } catch (...) {
            return 2;
        }
        return 3;
    });
}

} // namespace

TEST(ProductionRecord, CsvLinesReadBackByAStandardReaderAsWritten) {
    const Rows written = {{"plain", "with,comma", "say \"hi\"", "\"", "two\r\nlines", "lf\nonly",
                           "cr\ronly", "", " leading", "trailing\t", "Kärtchen 東京 ü.hex"},
                          {""},
                          {"", ""},
                          {"a,\"b\",\r\n"}};
    TempDir dir;
    std::string text;
    for (const auto& fields : written) {
        const std::string line = CsvLine(fields);
        EXPECT_TRUE(line.ends_with("\r\n")) << line;
        text += line;
    }
    WriteText(dir / "quoting.csv", text);
    EXPECT_EQ(ReadWithPython(dir / "quoting.csv"), written);
    // A spreadsheet trims blanks at a field's ends unless it is quoted.
    EXPECT_EQ(CsvLine({" a", "b\t", "c d"}), "\" a\",\"b\t\",c d\r\n");
}

TEST(ProductionRecord, FieldsFollowTheHeaderColumns) {
    const auto& header = ProductionRecordHeader();
    ASSERT_EQ(header.size(), 22u);
    auto column = [&](const TProductionRow& row, const std::string& name) {
        const auto index = std::find(header.begin(), header.end(), name) - header.begin();
        return ProductionRecordFields(row).at(static_cast<std::size_t>(index));
    };
    TProductionRow row = FailedRow(7);
    EXPECT_EQ(column(row, "sequence"), "7");
    EXPECT_EQ(column(row, "program sha256"), "ab12");
    EXPECT_EQ(column(row, "first difference"), "eeprom byte 0x0010");
    EXPECT_EQ(column(row, "expected") + column(row, "found"), "5AFF");
    EXPECT_EQ(column(row, "bytes differing"), "3");
    EXPECT_EQ(column(row, "duration ms"), "1234");
    EXPECT_EQ(column(row, "firmware"), "5");
    row.retries = 2;
    EXPECT_EQ(column(row, "retries"), "2");
    row.run = "2026-12-07T16:05:09.123+01:00";
    row.station = "line 1";
    row.recovered = true;
    row.port = "/dev/ttyUSB1";
    EXPECT_EQ(column(row, "run") + "|" + column(row, "station") + "|" + column(row, "recovered") +
                  "|" + column(row, "port"),
              "2026-12-07T16:05:09.123+01:00|line 1|yes|/dev/ttyUSB1");
    row.differingBytes.reset();
    row.firmware.reset();
    EXPECT_EQ(column(row, "bytes differing") + column(row, "firmware"), "");
}

// Fault: two programmers of a station adding their cards at once each read
// the record, and the second rename dropped the first one's line.
TEST(ProductionRecord, ProgrammersAddingLinesAtOnceLoseNone) {
    TempDir dir;
    const std::filesystem::path file = dir / "record.csv";
    constexpr int kWriters = 4;
    constexpr int kLines = 15;
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([&, writer] {
            for (int line = 0; line < kLines; ++line) {
                TPProductionRecord(file).Append(FailedRow(writer * kLines + line + 1));
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(ReadWithPython(file).size(), kWriters * kLines + 1u);
}

TEST(ProductionRecord, LocalTimeCarriesTheZoneOffset) {
    const sys_days day = 2026y / December / 7;
    struct Case {
        const char* zone;
        system_clock::time_point when;
        const char* text;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", day + 15h + 5min + 9s + 999ms, "2026-12-07T16:05:09+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", sys_days{2026y / July / 1} + 12h,
         "2026-07-01T14:00:00+02:00"},
        {"EST5EDT,M3.2.0,M11.1.0", day + 3h + 4min + 5s, "2026-12-06T22:04:05-05:00"},
        {"IST-5:30", day, "2026-12-07T05:30:00+05:30"}};
    for (const auto& c : cases) {
        testing::ScopedEnv zone("TZ", c.zone);
        EXPECT_EQ(LocalIsoTime(c.when), c.text) << c.zone;
    }
    ::tzset();
}

TEST(ProductionRecord, AppendWritesTheHeaderOnceAndKeepsEarlierRowsByteForByte) {
    TempDir dir;
    TPProductionRecord record(dir / "Produktion Müller, 東京.csv");
    record.Check();
    EXPECT_FALSE(std::filesystem::exists(record.File())) << "the check wrote the file";
    record.Append(FailedRow(1));
    const std::string first = ReadText(record.File());
    record.Append(FailedRow(2));
    const std::string both = ReadText(record.File());
    EXPECT_EQ(both.substr(0, first.size()), first);
    EXPECT_EQ(ReadWithPython(record.File()),
              (Rows{ProductionRecordHeader(), ProductionRecordFields(FailedRow(1)),
                    ProductionRecordFields(FailedRow(2))}));
    EXPECT_NO_THROW(record.Check());

    // An empty file gets the header; a last line without its end is ended
    // first; a file an editor saved with LF line ends is still a record.
    const std::string header = CsvLine(ProductionRecordHeader());
    const std::string row = CsvLine(ProductionRecordFields(FailedRow(3)));
    const std::string lfHeader = header.substr(0, header.size() - 2) + "\n";
    for (const auto& [before, after] : std::vector<std::pair<std::string, std::string>>{
             {"", header + row},
             {both.substr(0, both.size() - 2), both + row},
             {lfHeader + "x\n", lfHeader + "x\n" + row},
             {"\xEF\xBB\xBF" + header, "\xEF\xBB\xBF" + header + row}}) {
        WriteText(record.File(), before);
        record.Append(FailedRow(3));
        EXPECT_EQ(ReadText(record.File()), after) << before;
    }
}

// A record an earlier version made, without the columns added since, is
// appended to in its own columns; nothing in it is rewritten. One a later
// version made keeps its further columns, left empty.
TEST(ProductionRecord, ARecordOfAnotherVersionKeepsItsOwnColumns) {
    const std::vector<std::string>& header = ProductionRecordHeader();
    const std::vector<std::string> earlier(header.begin(), header.begin() + kFirstRecordColumns);
    std::vector<std::string> later = header;
    later.push_back("station");
    TProductionRow row = FailedRow(4);
    row.retries = 3;
    for (const auto& columns : {earlier, later}) {
        TempDir dir;
        TPProductionRecord record(dir / "r.csv");
        const std::string before =
            CsvLine(columns) + CsvLine(std::vector<std::string>(columns.size(), "1"));
        WriteText(record.File(), before);
        record.Append(row);
        std::vector<std::string> expected = ProductionRecordFields(row);
        expected.resize(columns.size());
        EXPECT_EQ(ReadText(record.File()), before + CsvLine(expected));
    }
}

TEST(ProductionRecord, AForeignFileIsRefusedUntouched) {
    const std::string header = CsvLine(ProductionRecordHeader());
    for (const std::string& foreign : {std::string("name,value\r\n1,2\r\n"), "x," + header,
                                       std::string("\n") + header, header.substr(0, 40)}) {
        TempDir dir;
        TPProductionRecord record(dir / "other.csv");
        WriteText(record.File(), foreign);
        for (const auto& use : {std::function<void()>([&] { record.Check(); }),
                                std::function<void()>([&] { record.Append(FailedRow(1)); })}) {
            try {
                use();
                ADD_FAILURE() << "accepted as a record: " << foreign;
            } catch (const EInOutError& error) {
                EXPECT_EQ(error.Path(), record.File().string());
                EXPECT_NE(std::string(error.what()).find("Not a production record"),
                          std::string::npos);
            }
        }
        EXPECT_EQ(ReadText(record.File()), foreign);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

TEST(ProductionRecord, AFailedWriteThrowsAndLeavesTheOldFile) {
    ASSERT_EQ(TOrdinaryUser::Unavailable(), "");
    TempDir dir;
    TPProductionRecord missing(dir / "no folder" / "record.csv");
    EXPECT_THROW(missing.Check(), EInOutError);
    EXPECT_THROW(missing.Append(FailedRow(1)), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(dir / "no folder"));

    TPProductionRecord record(dir / "record.csv");
    record.Append(FailedRow(1));
    const std::string before = ReadText(record.File());
    TOrdinaryUser::Own(dir.Path());
    // A read-only record, then a folder that takes no new file.
    for (const auto& [fileMode, folderMode] : {std::pair{0444, 0755}, std::pair{0644, 0555}}) {
        ::chmod(record.File().c_str(), fileMode);
        ::chmod(dir.Path().c_str(), folderMode);
        EXPECT_EQ(ThrowsNaming(record.File(), [&] { record.Check(); }), 0) << fileMode;
        EXPECT_EQ(ThrowsNaming(record.File(), [&] { record.Append(FailedRow(2)); }), 0);
        ::chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(ReadText(record.File()), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

} // namespace korvex
