// The session's intents: each opens a user action and, when it would change
// the card, the files or the line, is refused while a command runs. Each
// ends with its result; what went wrong has been shown.
#include "workflows/session/session.h"

#include "catalogue/carderrors.h"
#include "catalogue/serialfieldini.h"
#include "serials/serialimage.h"
#include "support/errors.h"
#include "support/textconv.h"

#include "workflows/cardtype/partnames.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/messagewords.h"
#include "workflows/session/cardcommands.h"

#include <algorithm>

namespace korvex {

// --- the card type

TIntentResult TPSession::ChooseCardType(const std::string& name) {
    if (!BeginUserAction()) {
        return TIntentResult::irRefused;
    }
    if (!card_.Select(name)) {
        return TIntentResult::irFailed;
    }
    runOnly_.card = false;
    try {
        card_.Lookup();
    } catch (const std::exception& error) {
        return Failed(error);
    }
    return TIntentResult::irDone;
}

TPCardTypeEditor TPSession::AddCardTypeEditor() const {
    return TPCardTypeEditor::ForAdd(folders_);
}

TPCardTypeEditor TPSession::EditCardTypeEditor() const {
    return TPCardTypeEditor::ForEdit(folders_, card_.Index());
}

TCardTypeFields TPSession::SpelledParts(TCardTypeFields fields,
                                        const TPCardTypeEditor& editor) const {
    // A dialog with an empty field closes as cancelled, whatever the rest says.
    if ((fields.name.empty() && !editor.IsEdit()) || fields.description.empty() ||
        fields.processor.empty() || fields.eeprom.empty()) {
        return fields;
    }
    const auto spell = [&](std::string& part, const std::vector<std::string>& names, int unknown) {
        if (std::string spelled = CatalogueSpelling(names, part); !spelled.empty()) {
            part = std::move(spelled);
            return;
        }
        std::string close;
        for (const std::string& name : CloseNames(names, part)) {
            close += (close.empty() ? "" : ", ") + name;
        }
        throw EKorvex(FillIn(Text(unknown),
                             {part, close.empty() ? Text(entries::kNoCloseNames)
                                                  : FillIn(Text(entries::kCloseNames), {close})}));
    };
    spell(fields.processor, editor.ProcessorNames(), entries::kUnknownProcessor);
    spell(fields.eeprom, editor.EepromNames(), entries::kUnknownEeprom);
    return fields;
}

TIntentResult TPSession::AddCardType(const TCardTypeFields& fields) {
    return AcceptCardType(fields, &TPSession::AddCardTypeEditor);
}

TIntentResult TPSession::EditCardType(const TCardTypeFields& fields) {
    return AcceptCardType(fields, &TPSession::EditCardTypeEditor);
}

TIntentResult TPSession::AcceptCardType(const TCardTypeFields& fields,
                                        TPCardTypeEditor (TPSession::*editorOf)() const) {
    bool written = false;
    const TIntentResult result = Take([&] {
        try {
            const TPCardTypeEditor editor = (this->*editorOf)();
            written = editor.Accept(SpelledParts(fields, editor));
        } catch (...) {
            // The list is read again whatever the dialog did, as after any dialog.
            cardChange_.RefreshCardList();
            throw;
        }
        cardChange_.RefreshCardList();
    });
    return result == TIntentResult::irDone && !written ? TIntentResult::irDeclined : result;
}

TIntentResult TPSession::DeleteCardType() {
    bool deleted = false;
    const TIntentResult result = Take([&] { deleted = cardChange_.DeleteCardType(); });
    return result == TIntentResult::irDone && !deleted ? TIntentResult::irDeclined : result;
}

TIntentResult TPSession::RefreshCardTypes() {
    return Take([&] { cardChange_.RefreshCardList(); });
}

TIntentResult TPSession::StoreCardSettings() {
    return Take([&] { cardChange_.SaveCardDefaults(true); });
}

std::vector<TSerialField> TPSession::SerialFields() {
    try {
        return card_.Store().ReadSerialFields(card_.Name());
    } catch (const std::exception& error) {
        Failed(error);
        return {};
    }
}

// A field the card's memory cannot hold is refused where it is given, not
// at the first card of a run.
void TPSession::CheckSerialFits(const TSerialField& field) const {
    const TCardMemories memories = CardMemories(card_, true);
    CheckSerialPlace(field, SerialMemoryBytes(memories, field.memory), "",
                     SerialLayout(field.memory, memories.avr));
}

std::optional<TSerialField> TPSession::CheckSerialField(const std::string& line) {
    try {
        TSerialField field = SerialFieldOfLine(line, card_.Store().CardFilePath(card_.Name()));
        CheckSerialFits(field);
        return field;
    } catch (const std::exception& error) {
        Failed(error);
        return std::nullopt;
    }
}

TIntentResult TPSession::EditSerialFields(const std::vector<std::string>& set,
                                          const std::vector<std::string>& remove) {
    return Take([&] {
        const std::string name = card_.Name();
        const TPCardIni& store = card_.Store();
        std::vector<TSerialField> fields = store.ReadSerialFields(name);
        for (const std::string& gone : remove) {
            const auto kept = std::remove_if(fields.begin(), fields.end(), [&](const auto& field) {
                return SameTextAscii(field.name, gone);
            });
            if (kept == fields.end()) {
                throw ESerialField("card type \"" + name + "\" has no serial field " + gone);
            }
            fields.erase(kept, fields.end());
        }
        for (const std::string& line : set) {
            const TSerialField field = SerialFieldOfLine(line, store.CardFilePath(name));
            CheckSerialFits(field);
            const auto same = std::find_if(fields.begin(), fields.end(), [&](const auto& other) {
                return SameTextAscii(other.name, field.name);
            });
            if (same != fields.end()) {
                *same = field;
            } else {
                fields.push_back(field);
            }
        }
        store.WriteSerialFields(name, fields);
    });
}

// --- files and fuses

TIntentResult TPSession::SetFileField(TFileRow row, const std::string& text) {
    bool loaded = true;
    const TIntentResult result = Take([&] {
        cardChange_.RowChosen(row);
        loaded = rows_.SetField(row, text, true);
    });
    return result == TIntentResult::irDone && !loaded ? TIntentResult::irFailed : result;
}

std::optional<std::string> TPSession::ViewableFile(TFileRow row) const {
    const std::string& text = rows_.Field(row);
    switch (row) {
    case TFileRow::frProgram:
    case TFileRow::frIntEeprom:
        return text;
    case TFileRow::frEeprom:
        return text.empty() ? std::nullopt : std::optional<std::string>(text);
    case TFileRow::frLoader:
        if (const auto file = rows_.LoaderFile()) {
            return file->string();
        }
        break;
    }
    return std::nullopt;
}

TIntentResult TPSession::SetFuse(TFuse fuse, int item) {
    return Take([&] {
        card_.Fuses().Choose(fuse, item);
        relay_.ShowFuses(card_.Fuses().Shown());
    });
}

// --- the line

TIntentResult TPSession::ChoosePort(int number) {
    return Take([&] {
        runOnly_.port = false;
        DoChoosePort(number);
    });
}

TIntentResult TPSession::ReopenLine() {
    return Take([&] {
        if (line_.ComPort() != 0) {
            DoChoosePort(line_.ComPort());
        }
    });
}

TIntentResult TPSession::ChooseDevice(const std::string& path) {
    if (seams_.ports == nullptr || path.empty()) {
        return TIntentResult::irFailed;
    }
    return Take([&] {
        TPortMap& ports = *seams_.ports;
        int number = 0;
        for (int n = 1; n <= TPortMap::kPortCount && number == 0; ++n) {
            if (ports.PathOf(n) == path) {
                number = n;
            }
        }
        if (number == 0) {
            // Saved first: a choice that cannot be remembered changes nothing.
            number = 1;
            TPortMap changed = ports;
            changed.SetPath(number, path);
            // What stood in its place for this run only (the command line's
            // device, a first start's simulator) would hide the choice.
            changed.Override(number, {});
            changed.Save(settings_);
            ports = std::move(changed);
        }
        runOnly_.port = false;
        DoChoosePort(number);
    });
}

TIntentResult TPSession::ChooseOffline() {
    return Take([&] {
        runOnly_.port = false;
        DoChooseOffline();
    });
}

TIntentResult TPSession::ChooseSpeed(TBaudRate rate) {
    return Take([&] {
        runOnly_.speed = false;
        DoChooseSpeed(rate);
    });
}

TIntentResult TPSession::ComPortAction(int number) {
    return Take([&] {
        runOnly_.port = false;
        notes_.ClearNotes();
        line_.PortAction(number);
    });
}

TIntentResult TPSession::PollNow() {
    return Take([&] { line_.Poll(); });
}

bool TPSession::AwaitFirstAnswer(const std::function<bool()>& stop) {
    const std::int64_t start = clock_.NowMs();
    for (;;) {
        PollNow();
        if (CardState() != TPCardState::csNotConnected) {
            return true;
        }
        if (!Connected() || (stop && stop()) || clock_.NowMs() - start + kPollMs > kFirstAnswerMs) {
            return false;
        }
        clock_.SleepMs(kPollMs);
    }
}

TIntentResult TPSession::AbandonLine() {
    return Take([&] { line_.Abandon(); });
}

// --- language and options

TIntentResult TPSession::ChooseLanguage(const std::string& name) {
    return Take([&] { ApplyLanguage(name); });
}

std::optional<std::string> TPSession::ReadOptions(TOptionBoxes& boxes) {
    rows_.BeginAction();
    return TPOptionsDialog::Show(options_, boxes);
}

TIntentResult TPSession::AcceptOptions(const TOptionBoxes& boxes) {
    if (!BeginUserAction()) {
        return TIntentResult::irRefused;
    }
    if (const auto failure = TPOptionsDialog::Accept(options_, boxes)) {
        prompts_.ShowMessage(TMessageKind::mkError, entries::kOptionsNotSaved,
                             Text(entries::kOptionsNotSaved) + " " +
                                 WordedMessage(lang_, *failure));
        return TIntentResult::irFailed;
    }
    return TIntentResult::irDone;
}

// --- card commands

TOutcome TPSession::RunCommand(TCardCommand command) {
    if (!BeginUserAction()) {
        return TOutcome::ocRefused;
    }
    const std::int64_t startMs = clock_.NowMs();
    const TOutcome outcome = commands_.Run(command);
    // The firmware query answers in its own box: it did nothing to the card.
    if (command != TCardCommand::ccFirmwareVersion) {
        notes_.SetResult(ResultOf(lang_, outcome, commands_.LastReport(), card_.Layout().avrKind,
                                  clock_.NowMs() - startMs));
        relay_.ShowResult();
    }
    return outcome;
}

void TPSession::RequestStop() {
    if (runState_.ProductionRunning()) {
        production_.Stop();
    }
    if (runState_.CommandRunning() && line_.Started()) {
        line_.Prog().RequestAbort();
    }
}

// --- what a face asks

std::optional<int> TPSession::FirmwareVersion() {
    if (Busy()) {
        return std::nullopt;
    }
    return line_.FirmwareVersion();
}

TRowView TPSession::FileRow(TFileRow row) const {
    return {rows_.Field(row), rows_.Status(row), rows_.Problem(row)};
}

std::string TPSession::PortProblem() const {
    const std::string error = ConnectError();
    if (Connected() || ComPort() == 0 || error.empty()) {
        return {};
    }
    return WordedMessage(lang_, line_.PortName().CannotOpen(error));
}

std::optional<std::string> TPSession::AutoOptionsProblem() const {
    if (const auto entry = commands_.AutoOptionsProblem(false)) {
        return Text(*entry);
    }
    return std::nullopt;
}

// Read as the options dialog reads them: a box the file cannot give keeps
// its state.
bool TPSession::WritesProcessor(TCardCommand command) {
    TOptionBoxes boxes;
    TPOptionsDialog::Show(options_, boxes);
    switch (command) {
    case TCardCommand::ccAutoProgram:
        return boxes.chkawPic;
    case TCardCommand::ccWritePic:
        return boxes.chkwwPic;
    default:
        return false;
    }
}

void TPSession::LogFrames(bool on) {
    if (on != log_.Logging()) {
        log_.ToggleLog();
    }
}

} // namespace korvex
