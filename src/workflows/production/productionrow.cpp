// A production run's card line: made from the card's report, kept in the
// local record, or elsewhere when the record will not take it.
#include "workflows/messagewords.h"
#include "workflows/production/productionrun.h"

#include "support/sha256.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"

#include <cstdio>

namespace korvex {

std::string RunName(std::chrono::system_clock::time_point start) {
    const std::string seconds = LocalIsoTime(start);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(start.time_since_epoch()).count() %
        1000;
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(milliseconds));
    // The offset follows the seconds: "2026-12-07T16:05:09" is 19 characters.
    return seconds.substr(0, 19) + fraction + seconds.substr(19);
}

TRecordLine ColumnsOf(const TProductionRow& row) {
    TRecordLine line;
    for (auto& [name, value] : ProductionRecordColumns(row)) {
        line.push_back({name, value});
    }
    return line;
}

TProductionRow TPProductionRun::RowOf(const TCardResult& result) const {
    TProductionRow row;
    row.localTime = LocalIsoTime(std::chrono::system_clock::now());
    row.sequence = result.sequence;
    row.cardType = card_.Name();
    row.run = run_;
    row.station = station_;
    // The device itself, which tells the station's programmers apart
    // whatever item of the port menu stands for it.
    row.port = line_.PortDevice();
    // A file is named only where its image went to the card; the digests are
    // those of the images as sent, and, when serial values went into them,
    // those of the files' own images beside them.
    const TCommandReport& report = commands_.LastReport();
    const TSentImages& sent = report.sent;
    if (!sent.program.empty()) {
        row.programFile = rows_.Field(TFileRow::frProgram);
        row.programSha256 = Sha256OfHexText(sent.program);
    }
    if (!sent.eeprom.empty()) {
        row.eepromFile = rows_.Field(TFileRow::frEeprom);
        row.eepromSha256 = Sha256OfHexText(sent.eeprom);
    }
    const bool avr = card_.Kind().IsAvr();
    if (avr && !sent.intEeprom.empty()) {
        row.intEepromFile = rows_.Field(TFileRow::frIntEeprom);
        row.intEepromSha256 = Sha256OfHexText(sent.intEeprom);
    }
    const auto own = [](const std::string& image) {
        return image.empty() ? std::string() : Sha256OfHexText(image);
    };
    const TSentImages& files = report.fileImages;
    row.more.emplace_back("program file image sha256",
                          own(sent.program.empty() ? "" : files.program));
    row.more.emplace_back("eeprom file image sha256", own(sent.eeprom.empty() ? "" : files.eeprom));
    row.more.emplace_back("internal eeprom file image sha256",
                          own(avr && !sent.intEeprom.empty() ? files.intEeprom : ""));
    for (const TRecordColumn& column : result.serials) {
        row.more.emplace_back(column.name, column.value);
    }
    row.outcome = std::string(VerdictName(result.verdict));
    row.failingStep = std::string(FailStepName(result.step));
    if (result.difference) {
        const TPDifference& difference = *result.difference;
        row.difference =
            std::string(MemorySpaceName(difference.space)) + " " + AddressText(difference.address);
        row.expected = difference.expected;
        row.found = difference.found;
        row.differingBytes = static_cast<int>(difference.differingBytes);
    }
    row.durationMs = result.durationMs;
    row.firmware = firmware_;
    row.retries = result.retries;
    return row;
}

bool TPProductionRun::Record(const TProductionPlan& plan, const TProductionRow& row, bool& kept) {
    try {
        TPProductionRecord(plan.record).Append(row);
        return true;
    } catch (const EKorvex& error) {
        prompts_.ShowMessage(TMessageKind::mkError, entries::kRecordNotWritten,
                             Text(entries::kRecordNotWritten) + "\n" + WordedError(lang_, error) +
                                 "\n" + KeepElsewhere(plan, row, kept));
        return false;
    }
}

// A card that was programmed keeps its line when the record will not take
// it: in a file of its own in the user's data folder, or else in the message
// itself, and the message says which.
std::string TPProductionRun::KeepElsewhere(const TProductionPlan& plan, const TProductionRow& row,
                                           bool& kept) const {
    const TPDataFolders& folders = folders_;
    kept = false;
    if (folders.HasUserFolder()) {
        const std::filesystem::path file =
            folders.user / "records" / ("unsaved-" + plan.record.filename().string());
        try {
            std::filesystem::create_directories(file.parent_path());
            TPProductionRecord(file).Append(row);
            kept = true;
            return FillIn(Text(entries::kCardLineKeptIn), {file.string()});
        } catch (const std::exception&) {
            // Said below, with the line itself.
        }
    }
    return FillIn(Text(entries::kCardLineNotKept), {OneLine(CsvLine(ProductionRecordFields(row)))});
}

} // namespace korvex
