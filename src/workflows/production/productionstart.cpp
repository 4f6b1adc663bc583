// What a production run settles before its first card: everything it can
// check without the card, what the last run left in the slot and in the
// journal, and the shared database.
#include "workflows/messagewords.h"
#include "workflows/production/productionrun.h"

#include "serials/postgres/pgconnection.h"
#include "serials/serialerrors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"

namespace korvex {

namespace {

// The values of a field as a message names them: "Serial1 1008".
std::string ValuesText(const std::vector<TSerialValue>& values, const std::string& pattern) {
    TRecordLine serials;
    for (const TSerialValue& value : values) {
        serials.push_back({"serial " + value.field, value.text});
    }
    return SerialValuesLine(serials, pattern);
}

} // namespace

std::filesystem::path TPProductionRun::StationFolder() const {
    return TPLocalSerialClaims::FolderOf(folders_).parent_path();
}

bool TPProductionRun::MayStart(const TProductionPlan& plan, TRunEnd& refused) {
    refused = TRunEnd::reRefused;
    const auto error = [this](int entry, const std::string& why) {
        prompts_.ShowMessage(TMessageKind::mkError, entry,
                             Text(entry) + (why.empty() ? "" : "\n" + why));
        return false;
    };
    if (!line_.Connected()) {
        return error(entries::kNotConnectedOrNoCard, "");
    }
    // A card the run calls good holds every file it names: options that
    // could not make it so refuse the run before the first card.
    if (const auto problem = commands_.AutoOptionsProblem(true)) {
        return error(*problem, "");
    }
    if (!plan.database.empty()) {
        // Nothing is tried with a connection string that holds a password.
        try {
            ReadConnectionString(plan.database);
        } catch (const EDatabaseUri& problem) {
            return error(entries::kDatabaseUriRefused, DescribeError(problem));
        }
    }
    if (!plan.database.empty() && plan.record.empty()) {
        return error(entries::kDatabaseNeedsRecord, "");
    }
    if (!plan.record.empty()) {
        try {
            TPProductionRecord(plan.record).Check();
        } catch (const EKorvex& problem) {
            return error(entries::kRecordNotWritten, WordedError(lang_, problem));
        }
    }
    return true;
}

bool TPProductionRun::CardsMayGoAhead(TRunEnd& refused) {
    // What would stop every card before anything is sent stops the run
    // before any value is claimed.
    if (commands_.CheckAuto() == TOutcome::ocSucceeded) {
        return true;
    }
    refused = commands_.LastReport().failStep == TFailStep::fsSerial ? TRunEnd::reSerials
                                                                     : TRunEnd::reFiles;
    return false;
}

bool TPProductionRun::SettleLastCard(TProductionObserver& observer, bool& usable) {
    const TPortName port = line_.PortName();
    journal_ = std::make_unique<TPCardJournal>(JournalFileOf(
        StationFolder(), port.simulator ? port.text + " " + card_.Name() : port.text));
    slotRun_.clear();
    std::optional<TJournalCard> last;
    try {
        last = journal_->LastCard();
        if (last && last->step == TJournalStep::jsFinished) {
            Recover(*last, observer);
        }
        // Only a good card waits to be taken out: a failed one is
        // programmed again.
        if (last && (last->step < TJournalStep::jsFinished ||
                     last->step == TJournalStep::jsTakenOut || last->outcome != "good")) {
            last.reset();
        }
        journal_->Restart(last);
    } catch (const EKorvex& error) {
        const bool record = dynamic_cast<const EInOutError*>(&error) != nullptr &&
                            static_cast<const EInOutError&>(error).Path() != journal_->File();
        const int entry = record ? entries::kRecordNotWritten : entries::kJournalUnusable;
        prompts_.ShowMessage(TMessageKind::mkError, entry,
                             Text(entry) + "\n" + WordedError(lang_, error));
        usable = false;
        return false;
    }
    if (!last) {
        return false;
    }
    slotRun_ = last->run;
    slotSequence_ = last->sequence;
    slotCard_ = last->serials.empty()
                    ? FillIn(Text(entries::kCardNumber), {std::to_string(last->sequence)})
                    : ValuesText(last->serials, Text(entries::kSerialValue));
    // The built-in simulator has no slot anybody could empty.
    return !port.simulator && line_.State() == TPCardState::csCardReady;
}

void TPProductionRun::Recover(TJournalCard& card, TProductionObserver& observer) {
    if (!card.record.empty()) {
        std::vector<std::pair<std::string, std::string>> columns;
        for (const TRecordColumn& column : card.line) {
            columns.emplace_back(column.name, column.name == "recovered" ? "yes" : column.value);
        }
        TPProductionRecord(card.record).Append(columns);
    }
    // The values' spend may have come before the end; once more does no harm.
    TPLocalSerialClaims own(TPLocalSerialClaims::FolderOf(folders_));
    for (const TSerialValue& value : card.serials) {
        own.Spend(card.cardType, value, card.outcome);
    }
    card.step = TJournalStep::jsRecorded;
    if (!card.record.empty()) {
        Tell(observer, FillIn(Text(entries::kLineRecovered),
                              {std::to_string(card.sequence), card.record.string()}));
    }
}

bool TPProductionRun::OpenShared(const TProductionPlan& plan, TProductionObserver& observer) {
    ownClaims_ = std::make_unique<TPLocalSerialClaims>(TPLocalSerialClaims::FolderOf(folders_));
    share_ = std::make_unique<TPProductionShare>(plan.database, station_, plan.record, *ownClaims_,
                                                 plan.reserveBlock, DatabaseWait(plan),
                                                 plan.stationReserve);
    TShareStart start;
    try {
        std::vector<TPSerialSequence> fields;
        const std::string cardType = card_.Name();
        for (const TSerialField& field : card_.Store().ReadSerialFields(cardType)) {
            fields.emplace_back(cardType, field);
        }
        start = share_->Open(fields, plan.count > 0 ? std::optional(plan.count) : std::nullopt);
    } catch (const EKorvex& error) {
        const int entry =
            share_->Away() ? entries::kDatabaseUnreachable : entries::kDatabaseRefused;
        prompts_.ShowMessage(TMessageKind::mkError, entry,
                             Text(entry) + "\n" + WordedError(lang_, error));
        share_.reset();
        return false;
    }
    if (start.linesSent > 0) {
        Tell(observer, FillIn(Text(entries::kLinesSent), {std::to_string(start.linesSent)}));
    }
    for (const TShareStart::TCounterStart& counter : start.counters) {
        Tell(observer, FillIn(Text(entries::kCounterStartsAfter),
                              {counter.field, counter.cardType, std::to_string(counter.after)}));
    }
    return true;
}

} // namespace korvex
