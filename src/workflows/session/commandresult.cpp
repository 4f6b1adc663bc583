#include "workflows/session/commandresult.h"

#include "support/errors.h"
#include "support/lang.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/session/cardcommands.h"

#include <cstdio>

namespace korvex {

namespace {

std::string Seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(ms < 0 ? 0 : ms) / 1000.0);
    return text;
}

void Append(std::string& line, const std::string& part) {
    if (!part.empty()) {
        line += (line.empty() ? "" : " ") + part;
    }
}

std::string Names(const std::string& first, bool withFirst, const std::string& second,
                  bool withSecond) {
    if (withFirst && withSecond) {
        return first + ", " + second;
    }
    return withFirst ? first : second;
}

// The memories the card took and matched, grouped as the user asked for them.
std::string WhatWasDone(const TPLang& lang, const TCommandReport::TDone& done, bool avr) {
    const std::string eeprom = lang.GetText(entries::kMemoryEeprom);
    const std::string processor = lang.GetText(avr ? entries::kAvrItem : entries::kPicItem);
    const bool eepromBoth = done.eepromWritten && done.eepromVerified;
    const bool processorBoth = done.processorWritten && done.processorVerified;
    std::string line;
    if (eepromBoth || processorBoth) {
        Append(line, FillIn(lang.GetText(entries::kResultWrittenVerified),
                            {Names(eeprom, eepromBoth, processor, processorBoth)}));
    }
    const bool eepromWritten = done.eepromWritten && !eepromBoth;
    const bool processorWritten = done.processorWritten && !processorBoth;
    if (eepromWritten || processorWritten) {
        Append(line, FillIn(lang.GetText(entries::kResultWritten),
                            {Names(eeprom, eepromWritten, processor, processorWritten)}));
    }
    const bool eepromVerified = done.eepromVerified && !eepromBoth;
    const bool processorVerified = done.processorVerified && !processorBoth;
    if (eepromVerified || processorVerified) {
        Append(line, FillIn(lang.GetText(entries::kResultVerified),
                            {Names(eeprom, eepromVerified, processor, processorVerified)}));
    }
    if (!done.configWord.empty()) {
        Append(line, FillIn(lang.GetText(entries::kResultConfigWord), {done.configWord}));
    }
    if (done.locked) {
        Append(line, lang.GetText(entries::kResultLocked));
    }
    return line;
}

} // namespace

TCommandResult ResultOf(const TPLang& lang, TOutcome outcome, const TCommandReport& report,
                        bool avr, std::int64_t tookMs) {
    TCommandResult result;
    result.succeeded = outcome == TOutcome::ocSucceeded;
    if (outcome == TOutcome::ocAborted) {
        return result;
    }
    // A failure told on the line alone (a read cut short) has no box of its own.
    std::string line = OneLine(report.message.empty() ? report.lineProblem : report.message);
    if (result.succeeded) {
        Append(line, WhatWasDone(lang, report.done, avr));
    }
    // Given to the card, whatever became of it: the record has them so too.
    const std::string serials =
        SerialValuesLine(report.serials, lang.GetText(entries::kSerialValue));
    if (!serials.empty()) {
        Append(line, FillIn(lang.GetText(entries::kResultSerials), {serials}));
    }
    if (line.empty()) {
        return result;
    }
    result.text = FillIn(lang.GetText(entries::kResultTook), {line, Seconds(tookMs)});
    return result;
}

} // namespace korvex
