// The serial values of a card type's fields in Auto program: claimed before
// the card's first write, laid into the images sent, spent with the card's
// outcome.
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/messagewords.h"
#include "workflows/session/cardcommands.h"

#include "support/errors.h"

namespace korvex {

// The outcome as the claims keep it, the same words as the record's.
std::string_view OutcomeWord(TOutcome outcome) {
    switch (outcome) {
    case TOutcome::ocSucceeded:
        return "good";
    case TOutcome::ocRefused:
    case TOutcome::ocAborted:
        return "interrupted";
    case TOutcome::ocFailed:
    case TOutcome::ocNothing:
        break;
    }
    return "failed";
}

TSerialClaims& TPCardCommands::Claims() {
    if (claims_ != nullptr) {
        return *claims_;
    }
    if (!localClaims_) {
        localClaims_ =
            std::make_unique<TPLocalSerialClaims>(TPLocalSerialClaims::FolderOf(folders_));
    }
    return *localClaims_;
}

void TPCardCommands::CardTypeSerials(std::optional<TPCardSerials>& serials) {
    serials.reset();
    const std::string name = card_.Name();
    std::vector<TSerialField> fields = card_.Store().ReadSerialFields(name);
    if (!fields.empty()) {
        serials.emplace(name, fields, Claims());
    }
}

TCardMemories CardMemories(const TPCardChoice& card, bool eepromPart) {
    TCardMemories memories;
    memories.eeprom = eepromPart ? static_cast<std::uint64_t>(std::max(card.EepromBytes(), 0)) : 0;
    memories.intEeprom = static_cast<std::uint64_t>(std::max(card.DataBytes(), 0));
    memories.program = 2 * static_cast<std::uint64_t>(std::max(card.ProgramWords(), 0));
    memories.avr = card.Kind().IsAvr();
    return memories;
}

// A value is kept for good before the card is touched, so no card is
// written whose value could be handed out again.
std::string SerialValuesLine(const TRecordLine& serials, std::string_view pattern) {
    std::string values;
    for (const TRecordColumn& column : serials) {
        // The record's column is "serial Serial1": the field is its last word.
        const std::string field = column.name.substr(column.name.find(' ') + 1);
        values += (values.empty() ? "" : ", ") + FillIn(pattern, {field, column.value});
    }
    return values;
}

bool TPCardCommands::ClaimSerials(TPCardSerials& serials, TCardImages& images) {
    std::vector<TSerialValue> values;
    try {
        values = serials.Claim();
    } catch (const EKorvex& error) {
        run_.report.failStep = TFailStep::fsSerial;
        TellText(TMessageKind::mkError, -1, WordedError(lang_, error));
        return false;
    }
    // A value is spent only once its card was touched.
    try {
        serials.Place(images, Kind().IsAvr());
    } catch (const EKorvex& error) {
        SpendSerials(serials, kUnusedOutcome);
        run_.report.failStep = TFailStep::fsSerial;
        TellText(TMessageKind::mkError, -1, WordedError(lang_, error));
        return false;
    }
    run_.report.serials = serials.Columns();
    if (progress_ != nullptr && !progress_->Claimed(values)) {
        SpendSerials(serials, kUnusedOutcome);
        run_.report.serials.clear();
        return false;
    }
    Note(SerialValuesLine(run_.report.serials, Text(entries::kSerialValue)));
    return true;
}

// A store that fails here does not change what became of the card; the
// production run ends after it.
void TPCardCommands::SpendSerials(TPCardSerials& serials, std::string_view outcome) {
    try {
        serials.Spend(outcome);
    } catch (const EKorvex& error) {
        run_.report.claimsProblem = WordedError(lang_, error);
    }
}

} // namespace korvex
