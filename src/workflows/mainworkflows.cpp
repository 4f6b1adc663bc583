// Start-up, the settings kept between runs, the line, the programmer state,
// the language and closing.
#include "workflows/mainworkflows.h"

#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/fuses.h"

namespace korvex {

namespace {

// The stored code of the "19200 baud" item is 9600, not its rate.
constexpr int kSpeedCode19200 = 9600;
constexpr int kSpeedCode115200 = 115200;

} // namespace

TPMainWorkflows::TPMainWorkflows(TPDataFolders folders, TPSettingsStore& settings,
                                 TBackendFactory factory, TPWorkflowSeams seams)
    : factory_(std::move(factory)), seams_(seams),
      bench_(std::move(folders), settings,
             TPFaces{seams.view, seams.prompts, seams.gauge, seams.clock, seams.linkPrompts}),
      panel_(bench_), cardChange_(bench_, panel_), commands_(bench_, panel_), log_(bench_),
      production_(bench_, commands_, seams.pump) {
    bench_.lang.SetLangDirs(bench_.dataFolders);
    bench_.languages = bench_.lang.GetLanguages();
    ApplyLanguage("English");
    panel_.OnShowFileConfig = [this] { ShowFileConfig(bench_); };
    bench_.cardBox.SetSettingsStore(&bench_.settings);
    bench_.cardBox.SetItemIndex(-1);
    bench_.cardBox.SetBaseDir(bench_.dataFolders);
    bench_.cardBox.OnCardChange = [this](TPCardTypeBox&) { cardChange_.CardChanged(); };
    bench_.closePending = false;
}

TPMainWorkflows::~TPMainWorkflows() {
    Shutdown();
}

void TPMainWorkflows::FormShow(const TStartChoices& choices) {
    bench_.BeginAction();
    bench_.storeCardDefaults = choices.storeCardSettings;
    bench_.prog = std::make_unique<TPPicProg>(
        factory_, TPicProgSeams{seams_.clock, seams_.pump, &bench_.prompts, seams_.scheduler});
    bench_.prog->SetComSpeed(TBaudRate::br19200);
    bench_.prog->OnStateChange = [this](TPCardState state, TPPicProg&) { StateChanged(state); };
    // The selector has had its folder since creation; the card type list
    // refresh rescans both stores.
    bench_.cardStore.SetBaseDir(bench_.dataFolders);
    cardChange_.RefreshCardList();
    bench_.prog->SetPollTime(kPollMs);
    bench_.prog->SetPolling(true);
    bench_.prog->SetDelay(kStartDelayMs);
    LoadSettings(choices);
    cardChange_.CardChanged();
    TellLanguageProblem();
}

void TPMainWorkflows::SelectCard(const std::string& name) {
    const int item = FindCardItem(bench_.cardBox.Items(), name);
    if (item < 0) {
        throw EKorvex("no card type named \"" + name + "\"");
    }
    bench_.cardBox.SetItemIndex(item);
}

void TPMainWorkflows::LoadSettings(const TStartChoices& choices) {
    const TPSettingsStore& store = bench_.settings;
    const bool stored = store.Exists();
    int port = 0;
    std::optional<int> speed;
    if (stored) {
        port = store.ReadInteger(TPSettingsStore::kComPort).value_or(0);
        if (const auto card = store.ReadInteger(TPSettingsStore::kCard)) {
            bench_.cardBox.SetItemIndex(*card);
        }
        speed = store.ReadInteger(TPSettingsStore::kSpeed);
        if (const auto lang = store.ReadString(TPSettingsStore::kLang)) {
            bench_.languageName = *lang;
        }
        if (!bench_.languageName.empty()) {
            ApplyLanguage(bench_.languageName);
        }
    }
    if (choices.cardName) {
        SelectCard(*choices.cardName);
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
    panel_.Evaluate(TFileRow::frLoader);
    bench_.cardBox.CardChanged();
    panel_.Evaluate(TFileRow::frProgram);
    panel_.Evaluate(TFileRow::frEeprom);
}

void TPMainWorkflows::SaveSettings() {
    bench_.settings.Write({
        {std::string(TPSettingsStore::kComPort), std::to_string(bench_.comPort)},
        {std::string(TPSettingsStore::kCard), std::to_string(bench_.cardBox.ItemIndex())},
        {std::string(TPSettingsStore::kLang), bench_.languageName},
        {std::string(TPSettingsStore::kSpeed),
         std::to_string(bench_.speedItem == TBaudRate::br115200 ? kSpeedCode115200
                                                                : kSpeedCode19200)},
    });
}

void TPMainWorkflows::DoChoosePort(int number) {
    bench_.comPort = number;
    bench_.SetWindowCaption("Korvex - COM" + std::to_string(number));
    bench_.view.ShowPortChoice(number);
    if (bench_.prog) {
        bench_.prog->SetComPort(number);
        bench_.prog->Disconnect();
        bench_.prog->Connect();
    }
}

void TPMainWorkflows::DoChooseOffline() {
    bench_.comPort = 0;
    bench_.SetWindowCaption("Korvex - OffLine");
    bench_.view.ShowPortChoice(0);
    if (bench_.prog) {
        bench_.prog->SetComPort(0);
    }
}

// The rate goes to a connected line at once; a closed port takes it for the
// next connection, so choosing a speed never opens a port nobody chose.
void TPMainWorkflows::DoChooseSpeed(TBaudRate rate) {
    bench_.speedItem = rate;
    bench_.speedChosen = true;
    bench_.view.ShowSpeedChoice(rate);
    if (!bench_.prog) {
        return;
    }
    if (bench_.prog->Connected()) {
        bench_.prog->ApplyBaudRate(rate);
    } else {
        bench_.prog->Port().SetBaudRate(rate);
    }
}

// While a command runs, its step stays in the status panel; the state's own
// caption comes back when the command ends.
void TPMainWorkflows::StateChanged(TPCardState state) {
    bench_.cardState = state;
    if (bench_.commandRunning) {
        bench_.statusColour = TPWorkbench::ColourOf(state);
        bench_.SetStatus(bench_.statusCaption);
        return;
    }
    bench_.ShowStateCaption();
}

bool TPMainWorkflows::Busy() const {
    return bench_.commandRunning || bench_.productionRunning ||
           (bench_.prog && bench_.prog->Busy());
}

TProductionSummary TPMainWorkflows::RunProduction(const TProductionPlan& plan,
                                                  TProductionObserver& observer) {
    if (Busy()) {
        return {};
    }
    bench_.BeginAction();
    return production_.Run(plan, observer);
}

bool TPMainWorkflows::Refuses() {
    if (Busy()) {
        return true;
    }
    bench_.BeginAction();
    return false;
}

bool TPMainWorkflows::FormClose() {
    // The card in hand is finished and recorded; the close timer closes the
    // window once the run has ended.
    if (bench_.productionRunning) {
        production_.Stop();
        bench_.closePending = true;
        return false;
    }
    if (Busy()) {
        if (bench_.prog) {
            bench_.prog->RequestAbort();
        }
        bench_.closePending = true;
        return false;
    }
    // A card type file that cannot be written must not keep the window open:
    // the user is told, and the rest is saved.
    try {
        cardChange_.SaveCardDefaults();
    } catch (const EKorvex& error) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
    Shutdown();
    try {
        SaveSettings();
    } catch (const EKorvex& error) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
    return true;
}

void TPMainWorkflows::CloseTimerTick() {
    if (!bench_.closePending || bench_.productionRunning) {
        return;
    }
    if (Busy()) {
        bench_.prog->RequestAbort();
        return;
    }
    if (bench_.prog) {
        bench_.prog->SelectMode(0, 0);
    }
    bench_.view.RequestClose();
}

void TPMainWorkflows::Shutdown() {
    if (bench_.prog) {
        bench_.prog->SetLogMemo(nullptr);
        bench_.prog.reset();
    }
}

void TPMainWorkflows::ApplyLanguage(const std::string& name) {
    bench_.languageName = name;
    bench_.lang.LoadLanguage(name);
    bench_.noFileText = bench_.Text(8);
    bench_.notConnectedText = bench_.Text(13);
    bench_.notReadyText = bench_.Text(14);
    bench_.readyText = bench_.Text(15);
    bench_.view.ShowLanguage();
    panel_.Evaluate(TFileRow::frIntEeprom);
    panel_.Evaluate(TFileRow::frProgram);
    panel_.Evaluate(TFileRow::frEeprom);
    StateChanged(bench_.cardState);
    if (bench_.prog) {
        TellLanguageProblem();
    }
}

void TPMainWorkflows::TellLanguageProblem() {
    if (const auto problem = bench_.lang.TakeProblem()) {
        const int entry =
            problem->shippedUsed ? entries::kLanguageFileReplaced : entries::kLanguageFileUnusable;
        bench_.prompts.ShowMessage(TMessageKind::mkWarning, entry,
                                   FillIn(bench_.Text(entry), {problem->file.string()}));
    }
}

} // namespace korvex
