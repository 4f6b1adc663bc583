#include "workflows/mainworkflows.h"

#include "support/errors.h"
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
             TPFaces{seams.view, seams.prompts, seams.gauge, seams.clock}),
      panel_(bench_), cardChange_(bench_, panel_), commands_(bench_, panel_), log_(bench_) {
    bench_.lang.SetLangDirs(bench_.dataFolders);
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
    bench_.prog = std::make_unique<TPPicProg>(
        factory_, TPicProgSeams{seams_.clock, seams_.pump, seams_.linkPrompts, seams_.scheduler});
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
}

void TPMainWorkflows::SelectRememberedCard(const std::string& name) {
    const auto& items = bench_.cardBox.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == name) {
            bench_.cardBox.SetItemIndex(static_cast<int>(i));
            return;
        }
    }
    throw EKorvex("no card type named \"" + name + "\"");
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
        SelectRememberedCard(*choices.cardName);
    }
    if (choices.speed) {
        ChooseSpeed(*choices.speed);
    } else if (speed == kSpeedCode19200) {
        ChooseSpeed(TBaudRate::br19200);
    } else if (speed == kSpeedCode115200) {
        ChooseSpeed(TBaudRate::br115200);
    }
    if (choices.comPort) {
        port = *choices.comPort;
    }
    if (port == 0) {
        ChooseOffline();
    } else if (port >= 1 && port <= 8) {
        ChoosePort(port);
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

void TPMainWorkflows::ChoosePort(int number) {
    bench_.comPort = number;
    bench_.view.ShowWindowCaption("Korvex - COM" + std::to_string(number));
    bench_.view.ShowPortChoice(number);
    if (bench_.prog) {
        bench_.prog->SetComPort(number);
        bench_.prog->Disconnect();
        bench_.prog->Connect();
    }
}

void TPMainWorkflows::ChooseOffline() {
    bench_.comPort = 0;
    bench_.view.ShowWindowCaption("Korvex - OffLine");
    bench_.view.ShowPortChoice(0);
    if (bench_.prog) {
        bench_.prog->SetComPort(0);
    }
}

void TPMainWorkflows::ComPortAction(int number) {
    bench_.view.ShowWindowCaption(number == 0 ? std::string("Korvex - OffLine")
                                              : "Korvex - COM" + std::to_string(number));
    if (bench_.prog) {
        bench_.prog->SetComPort(number);
        if (number != 0) {
            bench_.prog->Connect();
        }
    }
}

// The rate goes to a connected line at once; a closed port takes it for the
// next connection, so choosing a speed never opens a port nobody chose.
void TPMainWorkflows::ChooseSpeed(TBaudRate rate) {
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

void TPMainWorkflows::StateChanged(TPCardState state) {
    bench_.cardState = state;
    switch (state) {
    case TPCardState::csCardReady:
        bench_.statusColour = TStatusColour::scLime;
        bench_.SetStatus(bench_.readyText);
        break;
    case TPCardState::csCardNotReady:
        bench_.statusColour = TStatusColour::scYellow;
        bench_.SetStatus(bench_.notReadyText);
        break;
    case TPCardState::csNotConnected:
        bench_.statusColour = TStatusColour::scRed;
        bench_.SetStatus(bench_.notConnectedText);
        break;
    }
}

bool TPMainWorkflows::Busy() const {
    return bench_.commandRunning || (bench_.prog && bench_.prog->Busy());
}

bool TPMainWorkflows::FormClose() {
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
    if (!bench_.closePending) {
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
}

std::optional<TOutcome> TPMainWorkflows::PicItemClick() {
    switch (bench_.pendingAction) {
    case 1:
        return commands_.ReadPic();
    case 3:
        return commands_.VerifyPic();
    case 4:
        return commands_.ErasePic();
    default:
        return std::nullopt;
    }
}

std::optional<TOutcome> TPMainWorkflows::EepromItemClick() {
    switch (bench_.pendingAction) {
    case 1:
        return commands_.ReadEeprom();
    case 3:
        return commands_.VerifyEeprom();
    case 4:
        return commands_.EraseEeprom();
    default:
        return std::nullopt;
    }
}

std::optional<TOutcome> TPMainWorkflows::WritePicItemClick() {
    if (bench_.pendingAction != 2) {
        return std::nullopt;
    }
    return commands_.WritePic();
}

std::optional<TOutcome> TPMainWorkflows::WriteEepromItemClick() {
    if (bench_.pendingAction != 2) {
        return std::nullopt;
    }
    return commands_.WriteEeprom();
}

} // namespace korvex
