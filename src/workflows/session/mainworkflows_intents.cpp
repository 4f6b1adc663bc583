// The intents of the faces: each opens a user action and, when it would
// change the card, the files or the line, is refused while a command runs.
// Each ends with its result; what went wrong has been shown.
#include "workflows/session/mainworkflows.h"

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

namespace {

constexpr const char* kLoaderQuestion =
    "Leave this field empty to use default loader.\r\n"
    "You should only load a loader if you are sure what you are doing. !\r\nContinue ?";

// A menu's caption as a sentence names it: without its shortcut mark.
std::string MenuText(std::string caption) {
    std::erase(caption, '&');
    return caption;
}

} // namespace

// --- the card type

TIntentResult TPMainWorkflows::ChooseCardType(const std::string& name) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    if (!bench_.card.Select(name)) {
        return TIntentResult::irFailed;
    }
    runOnly_.card = false;
    try {
        bench_.card.Lookup();
    } catch (const std::exception& error) {
        return Failed(error);
    }
    return TIntentResult::irDone;
}

TPCardTypeEditor TPMainWorkflows::AddCardTypeEditor() const {
    return TPCardTypeEditor::ForAdd(bench_.dataFolders);
}

TPCardTypeEditor TPMainWorkflows::EditCardTypeEditor() const {
    return TPCardTypeEditor::ForEdit(bench_.dataFolders, bench_.card.Index());
}

TCardTypeFields TPMainWorkflows::SpelledParts(TCardTypeFields fields,
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
        throw EKorvex(
            FillIn(bench_.Text(unknown),
                   {part, close.empty() ? bench_.Text(entries::kNoCloseNames)
                                        : FillIn(bench_.Text(entries::kCloseNames), {close})}));
    };
    spell(fields.processor, editor.ProcessorNames(), entries::kUnknownProcessor);
    spell(fields.eeprom, editor.EepromNames(), entries::kUnknownEeprom);
    return fields;
}

TIntentResult TPMainWorkflows::AddCardType(const TCardTypeFields& fields) {
    return AcceptCardType(fields, &TPMainWorkflows::AddCardTypeEditor);
}

TIntentResult TPMainWorkflows::EditCardType(const TCardTypeFields& fields) {
    return AcceptCardType(fields, &TPMainWorkflows::EditCardTypeEditor);
}

TIntentResult TPMainWorkflows::AcceptCardType(const TCardTypeFields& fields,
                                              TPCardTypeEditor (TPMainWorkflows::*editorOf)()
                                                  const) {
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

TIntentResult TPMainWorkflows::DeleteCardType() {
    bool deleted = false;
    const TIntentResult result = Take([&] { deleted = cardChange_.DeleteCardType(); });
    return result == TIntentResult::irDone && !deleted ? TIntentResult::irDeclined : result;
}

TIntentResult TPMainWorkflows::RefreshCardTypes() {
    return Take([&] { cardChange_.RefreshCardList(); });
}

TIntentResult TPMainWorkflows::StoreCardSettings() {
    return Take([&] { cardChange_.SaveCardDefaults(true); });
}

std::vector<TSerialField> TPMainWorkflows::SerialFields() {
    try {
        return bench_.card.Store().ReadSerialFields(bench_.card.Name());
    } catch (const std::exception& error) {
        Failed(error);
        return {};
    }
}

// A field the card's memory cannot hold is refused where it is given, not
// at the first card of a run.
void TPMainWorkflows::CheckSerialFits(const TSerialField& field) const {
    const TCardMemories memories = CardMemories(bench_.card, true);
    CheckSerialPlace(field, SerialMemoryBytes(memories, field.memory), "",
                     SerialLayout(field.memory, memories.avr));
}

std::optional<TSerialField> TPMainWorkflows::CheckSerialField(const std::string& line) {
    try {
        TSerialField field =
            SerialFieldOfLine(line, bench_.card.Store().CardFilePath(bench_.card.Name()));
        CheckSerialFits(field);
        return field;
    } catch (const std::exception& error) {
        Failed(error);
        return std::nullopt;
    }
}

TIntentResult TPMainWorkflows::EditSerialFields(const std::vector<std::string>& set,
                                                const std::vector<std::string>& remove) {
    return Take([&] {
        const std::string name = bench_.card.Name();
        const TPCardIni& store = bench_.card.Store();
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

TIntentResult TPMainWorkflows::SetFileField(TFileRow row, const std::string& text) {
    bool loaded = true;
    const TIntentResult result = Take([&] {
        cardChange_.RowChosen(row);
        loaded = bench_.rows.SetField(row, text, true);
    });
    return result == TIntentResult::irDone && !loaded ? TIntentResult::irFailed : result;
}

bool TPMainWorkflows::ConfirmLoaderChoice() {
    return !Refuses() && bench_.prompts.Ask(-1, kLoaderQuestion, TAnswer::anYes);
}

void TPMainWorkflows::ViewFile(TFileRow row) {
    bench_.BeginAction();
    const bool avr = bench_.card.Kind().IsAvr();
    const std::string& text = bench_.rows.Field(row);
    switch (row) {
    case TFileRow::frProgram:
        bench_.view.ShowFileView(text, false, avr);
        break;
    case TFileRow::frEeprom:
        if (!text.empty()) {
            bench_.view.ShowFileView(text, true, avr);
        }
        break;
    case TFileRow::frIntEeprom:
        bench_.view.ShowFileView(text, true, avr);
        break;
    case TFileRow::frLoader:
        if (const auto file = bench_.rows.LoaderFile()) {
            bench_.view.ShowFileView(*file, false, avr);
        }
        break;
    }
}

std::string TPMainWorkflows::FileDialogFolder(TFileRow row) const {
    const std::string& text = bench_.rows.Field(row);
    const std::size_t slash = text.find_last_of('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

TIntentResult TPMainWorkflows::SetFuse(TFuse fuse, int item) {
    return Take([&] {
        bench_.card.Fuses().Choose(fuse, item);
        bench_.ShowFuses();
    });
}

// --- the line

TIntentResult TPMainWorkflows::ChoosePort(int number) {
    return Take([&] {
        runOnly_.port = false;
        DoChoosePort(number);
    });
}

TIntentResult TPMainWorkflows::ReopenLine() {
    return Take([&] {
        if (bench_.line.ComPort() != 0) {
            DoChoosePort(bench_.line.ComPort());
        }
    });
}

TIntentResult TPMainWorkflows::ChooseDevice(const std::string& path) {
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
            changed.Save(bench_.settings);
            ports = std::move(changed);
        }
        runOnly_.port = false;
        DoChoosePort(number);
    });
}

TIntentResult TPMainWorkflows::ChooseOffline() {
    return Take([&] {
        runOnly_.port = false;
        DoChooseOffline();
    });
}

TIntentResult TPMainWorkflows::ChooseSpeed(TBaudRate rate) {
    return Take([&] {
        runOnly_.speed = false;
        DoChooseSpeed(rate);
    });
}

TIntentResult TPMainWorkflows::ComPortAction(int number) {
    return Take([&] {
        runOnly_.port = false;
        bench_.notes.clear();
        bench_.SetWindowCaption(number == 0 ? std::string("Korvex - OffLine")
                                            : PortCaption(number));
        bench_.line.PortAction(number);
    });
}

TIntentResult TPMainWorkflows::PollNow() {
    return Take([&] { bench_.line.Poll(); });
}

TIntentResult TPMainWorkflows::AbandonLine() {
    return Take([&] { bench_.line.Abandon(); });
}

// --- language and options

TIntentResult TPMainWorkflows::ChooseLanguage(const std::string& name) {
    return Take([&] { ApplyLanguage(name); });
}

std::optional<std::string> TPMainWorkflows::ReadOptions(TOptionBoxes& boxes) {
    bench_.BeginAction();
    return TPOptionsDialog::Show(bench_.options, boxes);
}

TIntentResult TPMainWorkflows::AcceptOptions(const TOptionBoxes& boxes) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    if (const auto failure = TPOptionsDialog::Accept(bench_.options, boxes)) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kOptionsNotSaved,
                                   bench_.Text(entries::kOptionsNotSaved) + " " +
                                       WordedMessage(bench_.lang, *failure));
        return TIntentResult::irFailed;
    }
    return TIntentResult::irDone;
}

// --- card commands

TOutcome TPMainWorkflows::RunCommand(TCardCommand command) {
    if (Refuses()) {
        return TOutcome::ocRefused;
    }
    const std::int64_t startMs = bench_.clock.NowMs();
    const TOutcome outcome = commands_.Run(command);
    // The firmware query answers in its own box: it did nothing to the card.
    if (command != TCardCommand::ccFirmwareVersion) {
        bench_.result = ResultOf(bench_.lang, outcome, commands_.LastReport(),
                                 bench_.card.Layout().avrKind, bench_.clock.NowMs() - startMs);
        bench_.view.ShowResult();
    }
    return outcome;
}

void TPMainWorkflows::RequestStop() {
    if (bench_.run.ProductionRunning()) {
        production_.Stop();
    }
    if (bench_.run.CommandRunning() && bench_.line.Started()) {
        bench_.line.Prog().RequestAbort();
    }
}

void TPMainWorkflows::PressButton(TBigButton button) {
    pressedButton_ = button;
}

std::optional<TOutcome> TPMainWorkflows::PicItemClick() {
    return PopUpItemClick(false);
}

std::optional<TOutcome> TPMainWorkflows::EepromItemClick() {
    return PopUpItemClick(true);
}

// Read, Verify and Erase share one pop-up: its item names the memory, the
// button pressed before it the command. Write's pop-up has items of its own.
std::optional<TOutcome> TPMainWorkflows::PopUpItemClick(bool eeprom) {
    if (!pressedButton_) {
        return std::nullopt;
    }
    switch (*pressedButton_) {
    case TBigButton::bbRead:
        return RunCommand(eeprom ? TCardCommand::ccReadEeprom : TCardCommand::ccReadPic);
    case TBigButton::bbVerify:
        return RunCommand(eeprom ? TCardCommand::ccVerifyEeprom : TCardCommand::ccVerifyPic);
    case TBigButton::bbErase:
        return RunCommand(eeprom ? TCardCommand::ccEraseEeprom : TCardCommand::ccErasePic);
    case TBigButton::bbWrite:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<TOutcome> TPMainWorkflows::WritePicItemClick() {
    if (pressedButton_ != TBigButton::bbWrite) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWritePic);
}

std::optional<TOutcome> TPMainWorkflows::WriteEepromItemClick() {
    if (pressedButton_ != TBigButton::bbWrite) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWriteEeprom);
}

// The pop-up's Auto item and the Edit menu's Auto Program run the same
// sequence, whatever button was pressed last.
std::optional<TOutcome> TPMainWorkflows::AutoItemClick() {
    return RunCommand(TCardCommand::ccAutoProgram);
}

// --- the log panel

void TPMainWorkflows::ToggleLog() {
    log_.ToggleLog();
}

void TPMainWorkflows::ClearLog() {
    log_.ClearLog();
}

TIntentResult TPMainWorkflows::SaveLog(const std::filesystem::path& file) {
    try {
        log_.SaveLog(file);
    } catch (const std::exception& error) {
        return Failed(error);
    }
    return TIntentResult::irDone;
}

TIntentResult TPMainWorkflows::SetDelay(const std::string& text) {
    try {
        log_.SetDelay(text);
    } catch (const std::exception& error) {
        return Failed(error);
    }
    return TIntentResult::irDone;
}

void TPMainWorkflows::OpenHelp() {
    log_.OpenHelp();
}

void TPMainWorkflows::OpenBugReport() {
    log_.OpenBugReport();
}

// --- what a face shows

std::string TPMainWorkflows::ConfigText() const {
    return commands_.ConfigText();
}

std::optional<int> TPMainWorkflows::FirmwareVersion() {
    if (Busy()) {
        return std::nullopt;
    }
    return bench_.line.FirmwareVersion();
}

TMainSnapshot TPMainWorkflows::Snapshot() const {
    TMainSnapshot shot;
    shot.windowCaption = bench_.windowCaption;
    shot.statusCaption = bench_.status.Caption();
    shot.statusColour = bench_.status.Colour();
    shot.statusCaptions = bench_.status.EveryCaption();
    shot.cardState = bench_.line.State();
    shot.gauge = bench_.gauge.Percent();
    shot.cardTypes = bench_.card.Items();
    shot.cardIndex = bench_.card.Index();
    shot.cardText = bench_.card.Name();
    shot.description = bench_.card.Description();
    shot.processorName = bench_.card.Record().PicName;
    shot.eepromName = bench_.card.Record().EepromName;
    shot.layout = bench_.card.Layout();
    shot.fuses = bench_.card.Fuses().Shown();
    shot.storedFuses = bench_.card.Fuses().ToStore();
    shot.fuseOrigin = bench_.card.Fuses().Origin();
    for (std::size_t i = 0; i < shot.rows.size(); ++i) {
        const auto row = static_cast<TFileRow>(i);
        shot.rows[i] = {bench_.rows.Field(row), bench_.rows.Status(row), bench_.rows.Problem(row)};
    }
    shot.comPort = bench_.line.ComPort();
    if (seams_.ports != nullptr) {
        for (int n = 1; n <= TPortMap::kPortCount; ++n) {
            shot.portDevices[static_cast<std::size_t>(n - 1)] = seams_.ports->PathOf(n);
        }
    }
    shot.speed = bench_.line.Speed();
    shot.connected = bench_.line.Connected();
    shot.connectError = bench_.line.ConnectError();
    if (!shot.connected && shot.comPort != 0 && !shot.connectError.empty()) {
        shot.portProblem =
            WordedMessage(bench_.lang, bench_.PortName().CannotOpen(shot.connectError));
    }
    shot.language = bench_.languageName;
    shot.languages = bench_.languages;
    shot.captions = TMainCaptions::Resolve(bench_.lang, bench_.card.Layout().avrKind);
    shot.commandRunning = bench_.run.CommandRunning();
    shot.productionRunning = bench_.run.ProductionRunning();
    shot.logging = log_.Logging();
    shot.logButtonCaption = log_.LogButtonCaption();
    shot.pollsHidden = log_.PollsHidden();
    shot.notes = bench_.notes;
    shot.result = bench_.result;
    if (shot.comPort != 0 && bench_.PortName().simulator) {
        shot.portHint = FillIn(bench_.Text(entries::kSimulatorHint),
                               {MenuText(bench_.Text(entries::kSetupMenu)),
                                MenuText(bench_.Text(entries::kPortMenu))});
    }
    // A command that succeeded leaves its gauge full until the next starts.
    if (!shot.commandRunning && !shot.result.empty() && shot.result.succeeded) {
        shot.gauge = 100;
    }
    return shot;
}

} // namespace korvex
