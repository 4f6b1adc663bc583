// The session's start, the settings kept between runs, the line, the
// programmer state, the language and closing.
#include "workflows/session/session.h"
#include "workflows/messagewords.h"

#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"

#include <memory>

namespace korvex {

namespace {

// The stored code of the "19200 baud" item is 9600, not its rate.
constexpr int kSpeedCode19200 = 9600;
constexpr int kSpeedCode115200 = 115200;

} // namespace

TPSession::TPSession(TPDataFolders folders, TPSettingsStore& settings, TBackendFactory factory,
                     TSessionSeams seams)
    : seams_(seams), relay_(events_, seams.view), folders_(std::move(folders)), settings_(settings),
      options_(folders_), prompts_(seams.prompts, seams.linkPrompts, lang_),
      clock_(seams.clock != nullptr ? *seams.clock : TSteadyClock::Instance()), card_(settings),
      rows_(card_, lang_, prompts_, relay_),
      line_(std::move(factory), TPicProgSeams{&clock_, seams.pump, &prompts_, seams.scheduler},
            seams.ports),
      runState_(line_), status_(lang_, relay_),
      cardChange_(card_, rows_, line_, prompts_, relay_, lang_, folders_),
      commands_(TCommandParts{card_, rows_, line_, runState_, status_, prompts_, options_, notes_,
                              relay_, relay_, clock_, lang_, folders_}),
      log_(line_, relay_, lang_, folders_),
      production_(TProductionParts{card_, rows_, line_, runState_, status_, prompts_, relay_,
                                   clock_, lang_, folders_},
                  commands_, seams.pump) {
    relay_.SetLang(lang_);
    lang_.SetLangDirs(folders_);
    languages_ = lang_.GetLanguages();
    ApplyLanguage("English");
    card_.SetFolders(folders_);
    card_.SetChangeHandler([this] { cardChange_.CardChanged(); });
    line_.OnStateChange = [this](TPCardState state) { StateChanged(state); };
}

void TPSession::SetEvents(TSessionEvents events) {
    events_ = std::move(events);
    if (events_.logLine) {
        log_.OnLineAdded = events_.logLine;
    }
}

TPSession::~TPSession() {
    Shutdown();
}

TIntentResult TPSession::Failed(const std::exception& error) {
    prompts_.ShowMessage(TMessageKind::mkError, -1, WordedError(lang_, error));
    return TIntentResult::irFailed;
}

std::string TPSession::Worded(const std::exception& error) const {
    return WordedError(lang_, error);
}

std::string TPSession::UnknownCardMessage(const std::string& name) const {
    std::string list;
    for (const std::string& item : card_.Items()) {
        list += (list.empty() ? "" : ", ") + item;
    }
    return FillIn(Text(entries::kNoCardTypeNamed),
                  {name, list.empty() ? Text(entries::kNoCardTypes) : list});
}

TIntentResult TPSession::Start(const TStartChoices& choices) {
    rows_.BeginAction();
    cardChange_.StoreOnLeave(choices.storeCardSettings);
    try {
        line_.Start();
        // The list only: the change runs once, for the card type that is
        // to be shown, so no other card type's files are read.
        card_.Rescan();
        const TStartChoices shown = FirstStartChoices(choices);
        LoadSettings(shown);
        if (firstStart_) {
            // Choices of this start, not the user's: stored once the user
            // changes anything, as they are then.
            runOnly_ = {};
            ShowSampleFile(TFileRow::frProgram, TSampleStart::kProgramFile);
            ShowSampleFile(TFileRow::frEeprom, TSampleStart::kEepromFile);
            firstStartValues_ = SettingsValues();
        }
        if (shown.programFile) {
            cardChange_.ShowForRun(TFileRow::frProgram, *shown.programFile);
        }
        if (shown.eepromFile) {
            cardChange_.ShowForRun(TFileRow::frEeprom, *shown.eepromFile);
        }
        TellLanguageProblem();
    } catch (const std::exception& error) {
        return Failed(error);
    }
    if (choices.cardName && FindCardItem(card_.Items(), *choices.cardName) < 0) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, UnknownCardMessage(*choices.cardName));
        return TIntentResult::irFailed;
    }
    return TIntentResult::irDone;
}

TStartChoices TPSession::FirstStartChoices(const TStartChoices& choices) {
    firstStart_ = choices.sampleOnFirstStart && seams_.ports != nullptr && !settings_.Exists() &&
                  !choices.comPort && !choices.speed && !choices.cardName && !choices.programFile &&
                  !choices.eepromFile;
    if (!firstStart_) {
        return choices;
    }
    TStartChoices shown = choices;
    seams_.ports->Override(1, std::string(TPortMap::kSimulator));
    shown.comPort = 1;
    if (FindCardItem(card_.Items(), TSampleStart::kCard) >= 0) {
        shown.cardName = TSampleStart::kCard;
    }
    return shown;
}

// The card type's own file wins: one the user chose before is kept.
void TPSession::ShowSampleFile(TFileRow row, const std::string& relative) {
    const std::filesystem::path file = folders_.FindFile(relative);
    std::error_code error;
    if (rows_.Field(row).empty() && std::filesystem::is_regular_file(file, error)) {
        cardChange_.ShowForRun(row, file.string());
    }
}

// The face's choices hold for this run: they are applied over the
// remembered values, and the change runs once, for the card type shown.
void TPSession::LoadSettings(const TStartChoices& choices) {
    const TPSettingsStore& store = settings_;
    int port = 0;
    std::optional<int> speed;
    runOnly_ = {choices.comPort.has_value(), choices.speed.has_value(),
                choices.cardName.has_value()};
    if (store.Exists()) {
        port = store.ReadInteger(TPSettingsStore::kComPort).value_or(0);
        card_.SelectIndex(RememberedCardItem(store, card_.Items()));
        speed = store.ReadInteger(TPSettingsStore::kSpeed);
        if (const auto lang = store.ReadString(TPSettingsStore::kLang); lang && !lang->empty()) {
            ApplyLanguage(*lang);
        }
    }
    if (choices.cardName) {
        card_.Select(*choices.cardName);
    }
    if (choices.speed) {
        DoChooseSpeed(*choices.speed);
    } else if (speed == kSpeedCode19200) {
        DoChooseSpeed(TBaudRate::br19200);
    } else if (speed == kSpeedCode115200) {
        DoChooseSpeed(TBaudRate::br115200);
    }
    if (choices.comPort) {
        port = *choices.comPort;
    }
    if (port == 0) {
        DoChooseOffline();
    } else if (port >= 1 && port <= 8) {
        DoChoosePort(port);
    }
    card_.Lookup();
}

// A value the face chose for this run is left as the settings have it.
std::vector<std::pair<std::string, std::string>> TPSession::SettingsValues() const {
    std::vector<std::pair<std::string, std::string>> values{
        {std::string(TPSettingsStore::kLang), languageName_}};
    if (!runOnly_.port) {
        values.emplace_back(TPSettingsStore::kComPort, std::to_string(line_.ComPort()));
    }
    if (!runOnly_.card) {
        // The index for older files and tools; the name, which a card type
        // added or deleted does not move.
        values.emplace_back(TPSettingsStore::kCard, std::to_string(card_.Index()));
        values.emplace_back(TPSettingsStore::kCardName, card_.Name());
    }
    if (!runOnly_.speed) {
        values.emplace_back(TPSettingsStore::kSpeed,
                            std::to_string(line_.Speed() == TBaudRate::br115200 ? kSpeedCode115200
                                                                                : kSpeedCode19200));
    }
    return values;
}

void TPSession::SaveSettings() {
    const auto values = SettingsValues();
    if (firstStart_) {
        // Unchanged, and nothing else (a device chosen by name, a production
        // run's plan) has started the settings: nothing to keep.
        if (values == firstStartValues_ && !settings_.Exists()) {
            return;
        }
        // The simulator the first start put in Com 1's place is kept with
        // the rest, unless the user moved away from it.
        TPortMap& ports = *seams_.ports;
        if (line_.ComPort() == 1 && ports.PathOf(1) == TPortMap::kSimulator &&
            ports.StoredPathOf(1) != TPortMap::kSimulator) {
            TPortMap kept = ports;
            kept.Override(1, {});
            kept.SetPath(1, std::string(TPortMap::kSimulator));
            kept.Save(settings_);
        }
    }
    settings_.Write(values);
}

void TPSession::DoChoosePort(int number) {
    notes_.ClearNotes();
    portChosen_ = true;
    relay_.ShowPortChoice(number);
    line_.ChoosePort(number);
}

void TPSession::DoChooseOffline() {
    notes_.ClearNotes();
    portChosen_ = true;
    relay_.ShowPortChoice(0);
    line_.ChooseOffline();
}

void TPSession::DoChooseSpeed(TBaudRate rate) {
    relay_.ShowSpeedChoice(rate);
    line_.ChooseSpeed(rate);
}

// While a command runs, its step stays in the status panel; the state's own
// caption comes back when the command ends.
void TPSession::StateChanged(TPCardState state) {
    status_.ShowState(state, runState_.CommandRunning());
}

TProductionSummary TPSession::RunProduction(const TProductionPlan& plan,
                                            TProductionObserver& observer, bool inView) {
    if (Busy()) {
        return {};
    }
    rows_.BeginAction();
    if (!inView) {
        return production_.Run(plan, observer);
    }
    prompts_.Divert(
        [&observer](TMessageKind kind, const std::string& text) { observer.Problem(kind, text); });
    const std::unique_ptr<TPromptRelay, void (*)(TPromptRelay*)> boxesBack(
        &prompts_, [](TPromptRelay* prompts) { prompts->Divert(nullptr); });
    return production_.Run(plan, observer);
}

bool TPSession::BeginUserAction() {
    if (Busy()) {
        return false;
    }
    rows_.BeginAction();
    return true;
}

void TPSession::StopForClose() {
    // The card in hand is finished and recorded; the close waits for the
    // run to end.
    if (runState_.ProductionRunning()) {
        production_.Stop();
    } else if (Busy() && line_.Started()) {
        line_.Prog().RequestAbort();
        // The command releases the programmer as it stops: a poll after
        // that, before the close goes on, would address it again.
        line_.Prog().SetPolling(false);
    }
    runState_.SetClosePending();
}

void TPSession::AbortForClose() {
    if (line_.Started()) {
        line_.Prog().RequestAbort();
    }
}

void TPSession::Close() {
    // A card type file that cannot be written must not keep the face open:
    // the user is told, and the rest is saved.
    try {
        cardChange_.SaveCardDefaults();
    } catch (const std::exception& error) {
        Failed(error);
    }
    Shutdown();
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        Failed(error);
    }
}

void TPSession::Shutdown() {
    line_.Stop();
}

// Texts only: the rows are worded anew, nothing is read again, and the fuse
// choices stay as the user made them.
void TPSession::ApplyLanguage(const std::string& name) {
    languageName_ = name;
    lang_.LoadLanguage(name);
    relay_.ShowLanguage();
    rows_.Reword();
    StateChanged(line_.State());
    if (line_.Started()) {
        TellLanguageProblem();
    }
}

void TPSession::TellLanguageProblem() {
    for (const TPLang::TProblem& problem : lang_.TakeProblems()) {
        int entry = entries::kLanguageFileUnusable;
        if (problem.fallback == TPLang::TFallback::lfLaterFile) {
            entry = entries::kLanguageFileReplaced;
        } else if (problem.fallback == TPLang::TFallback::lfBuiltIn) {
            entry = entries::kLanguageFileBuiltIn;
        }
        prompts_.ShowMessage(
            TMessageKind::mkWarning, entry,
            FillIn(Text(entry), {problem.file.string(), LanguageFaultWords(problem)}));
    }
}

std::string TPSession::LanguageFaultWords(const TPLang::TProblem& problem) const {
    int entry = entries::kLanguageFaultEmpty;
    switch (problem.fault) {
    case TPLang::TFault::lfEmpty:
        break;
    case TPLang::TFault::lfNotText:
        entry = entries::kLanguageFaultNotText;
        break;
    case TPLang::TFault::lfShort:
        entry = entries::kLanguageFaultShort;
        break;
    case TPLang::TFault::lfLong:
        entry = entries::kLanguageFaultLong;
        break;
    case TPLang::TFault::lfSplitLine:
        entry = entries::kLanguageFaultSplitLine;
        break;
    }
    return FillIn(Text(entry), {std::to_string(problem.line), std::to_string(problem.entries)});
}

} // namespace korvex
