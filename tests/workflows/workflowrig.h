#pragma once

#include "common/fakeclock.h"
#include "common/hexpattern.h"
#include "common/hexrecords.h"
#include "common/linkfakes.h"
#include "common/shortframes.h"
#include "common/tempdir.h"
#include "link/portmap.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"
#include "sim/simdevice.h"
#include "support/settingsstore.h"
#include "workflows/presenter/mainworkflows.h"
#include "workflows/session/readback.h"

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The state behind a session's answers, for tests to look at.
struct TSessionParts {
    const TPCardChoice& card;
    const TPFileRows& rows;
    const TPLine& line;
    const TPLang& lang;
    const TPDataFolders& dataFolders;

    TPortName PortName() const { return line.PortName(); }
};

struct TWorkflowsProbe {
    static TSessionParts Parts(const TPSession& session) {
        return {session.card_, session.rows_, session.line_, session.lang_, session.folders_};
    }
};

} // namespace korvex

namespace korvex::testing {

inline constexpr const char* kPicCard = "PIC16F84-24C16";
inline constexpr const char* kPicOnlyCard = "PIC16F84";
inline constexpr const char* kAvrCard = "AT90S8515-24C64";
inline constexpr const char* kAvr9Card = "ATmega161-24C256";

struct TShownMessage {
    TMessageKind kind;
    int entry;
    std::string text;
};

// Message boxes as a list; questions are answered from a script, Yes when
// it has run out.
class TRecordingPrompts final : public TPrompts {
public:
    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override {
        messages.push_back({kind, entry, text});
    }
    bool Ask(int entry, const std::string& text, TAnswer preset) override {
        asked.push_back(entry);
        presets.push_back(preset);
        askedTexts.push_back(text);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowPlain(const std::string& title, const std::string& text) override {
        plain.push_back(title + "|" + text);
    }

    std::vector<int> Entries() const {
        std::vector<int> entries;
        for (const auto& m : messages) {
            entries.push_back(m.entry);
        }
        return entries;
    }
    void Clear() {
        messages.clear();
        asked.clear();
        askedTexts.clear();
        presets.clear();
        plain.clear();
    }

    std::vector<TShownMessage> messages;
    std::vector<int> asked;
    std::vector<std::string> askedTexts;
    std::vector<TAnswer> presets;
    std::deque<bool> answers;
    std::vector<std::string> plain;
};

// What a read-back window was given, as its dump lines: the first stage and,
// for an AVR read, the data EEPROM of the second.
struct TReadBackSeen {
    std::string mode;
    std::vector<std::string> lines;
    std::vector<std::string> secondLines;

    // The characters of the dump lines whose address lies in [from, below).
    static std::string Text(const std::vector<std::string>& dump, std::uint64_t from,
                            std::uint64_t below) {
        std::string text;
        for (const auto& line : dump) {
            const auto colon = line.find(" : ");
            const std::uint64_t address = std::stoull(line.substr(0, colon), nullptr, 16);
            if (address >= from && address < below) {
                text += line.substr(colon + 3);
            }
        }
        return text;
    }
};

// The window's side, remembered: what it was asked to do, the last snapshot
// it would draw, and the histories of what it showed that the tests look at,
// taken from the snapshot at each change notice.
class TRecordingView final : public TMainView {
public:
    void ShowReadBack(TPReadBack& readBack) override {
        TReadBackSeen seen{readBack.ModeLabel(), readBack.MemoLines(), {}};
        // The first part of an AVR read saved, its data EEPROM is shown.
        readBack.Save(saves / "first", nullptr);
        if (readBack.SecondStage()) {
            seen.secondLines = readBack.MemoLines();
        }
        readBacks.push_back(seen);
    }
    void RequestClose() override { ++closeRequests; }
    void OpenDocument(const std::string& target) override { documents.push_back(target); }

    // A change notice: the snapshot as the window would draw it.
    void Draw(const TMainSnapshot& shot) {
        if (shot.statusCaption != statusShown_) {
            statusShown_ = shot.statusCaption;
            statuses.push_back(shot.statusCaption);
        }
        statusColour = shot.statusColour;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i] = shot.rows[i].status;
            fields[i] = shot.rows[i].field;
        }
        layout = shot.layout;
        fuses = shot.fuses;
        windowCaption = shot.windowCaption;
        portChoice = shot.comPort;
        speedChoice = shot.speed;
        const bool running = shot.commandRunning || shot.productionRunning;
        if (running != runningShown_) {
            runningShown_ = running;
            enables.push_back(!running);
        }
        if (shot.notes != notesShown_ && !shot.notes.empty()) {
            notes.push_back(shot.notes.back());
        }
        notesShown_ = shot.notes;
    }

    TRowStatus& Row(TFileRow row) { return rows[static_cast<std::size_t>(row)]; }

    std::vector<std::string> statuses;
    TStatusColour statusColour = TStatusColour::scButtonFace;
    std::array<TRowStatus, kFileRowCount> rows;
    std::array<std::string, kFileRowCount> fields;
    TCardLayout layout;
    TFuseChoices fuses;
    std::string windowCaption;
    std::optional<int> portChoice;
    std::optional<TBaudRate> speedChoice;
    std::vector<bool> enables;
    std::vector<TReadBackSeen> readBacks;
    int closeRequests = 0;
    std::vector<std::string> documents;
    std::vector<std::string> notes;
    TempDir saves;

private:
    std::string statusShown_;
    bool runningShown_ = false;
    std::vector<std::string> notesShown_;
};

// A copy of the shipped data folder in a temporary folder, so tests may
// change options, card types and loaders.
inline std::filesystem::path CopyProgramFolder(const TempDir& dir) {
    const std::filesystem::path folder = dir / "program";
    std::filesystem::copy(KORVEX_SOURCE_DATA_DIR, folder, std::filesystem::copy_options::recursive);
    return folder;
}

// The workflows of one window over the copied data folder, talking to the
// in-process simulated programmer on a clock that moves only when something
// waits. The simulated card is the one the card type describes unless a
// model is given.
class TWorkflowRig {
public:
    // `userFolder`: the user's data folder beside the program folder, as an
    // installed program has it; none otherwise.
    // `station`: another programmer of the same station, whose program and
    // user folders this one shares (its own simulated programmer, clock and
    // settings beside them).
    explicit TWorkflowRig(const std::string& cardType = kPicCard,
                          std::optional<sim::TSimCardModel> model = std::nullopt,
                          bool userFolder = false, const TWorkflowRig* station = nullptr)
        : folder(station != nullptr ? station->folder : CopyProgramFolder(dir)),
          settings(dir / "settings"),
          device(sim::TSimCard(model ? *model : sim::SimCardModelForCardType(folder, cardType))),
          flows(station != nullptr ? station->Bench().dataFolders
                : userFolder       ? TPDataFolders(folder, dir / "user")
                                   : TPDataFolders(folder),
                settings, sim::SimulatorBackendFactory(device, clock),
                TPWorkflowSeams{view, prompts, &linkPrompts, &pump, &scheduler, &gauge, &clock,
                                &ports}),
          options(folder), cardType_(cardType) {
        flows.OnChange = [this] { view.Draw(flows.Snapshot()); };
    }

    // First showing on COM1 at the programmer's rate with the rig's card type,
    // then polls until the card is ready. Every record starts empty after it.
    void Start(TStartChoices choices = {}) {
        if (!choices.comPort) {
            choices.comPort = 1;
        }
        if (!choices.speed) {
            choices.speed = TBaudRate::br19200;
        }
        if (!choices.cardName) {
            choices.cardName = cardType_;
        }
        flows.FormShow(choices);
        Poll();
        ClearRecords();
    }

    void Poll() {
        for (int i = 0; i < 3 && Bench().line.State() != TPCardState::csCardReady; ++i) {
            scheduler.Tick();
        }
    }

    void ClearRecords() {
        device.ClearFrames();
        prompts.Clear();
        linkPrompts.errors.clear();
        view.statuses.clear();
        view.enables.clear();
        view.readBacks.clear();
        gauge.values.clear();
    }

    TSessionParts Bench() const { return TWorkflowsProbe::Parts(flows.Session()); }
    TOutcome Run(TCardCommand command) { return flows.RunCommand(command); }
    // The options file, as the options dialog would change it.
    TPOptionReader& Options() { return options; }
    std::string Text(int entry) { return flows.Text(entry); }
    TIntentResult Set(TFileRow row, const std::string& text) {
        return flows.SetFileField(row, text);
    }

    // Chooses a card type the way the selector does on a user's choice.
    void SelectCard(const std::string& name) {
        if (flows.ChooseCardType(name) != TIntentResult::irDone) {
            throw std::runtime_error("no card type " + name);
        }
    }

    // A file beside the tests' other files; returns its path as a field text.
    std::string File(const std::string& name, const std::string& content) {
        const std::filesystem::path path = dir / "files" / name;
        WriteText(path, content);
        return path.string();
    }
    std::filesystem::path CardFile(const std::string& name) const {
        return folder / "cards" / (name + ".ini");
    }

    // The frames the device received, short form: letter, device digit, data
    // ("A30" = mode 0 for device 3, "E30010").
    std::vector<std::string> Sent() const { return ShortFrames(device); }
    std::size_t Count(char command) const {
        std::size_t n = 0;
        for (const auto& frame : device.Frames()) {
            n += frame.command == command ? 1 : 0;
        }
        return n;
    }
    // Frames that move card data (everything but mode, poll, identification).
    std::size_t TransferFrames() const {
        std::size_t n = 0;
        for (char c : std::string("BCDEFHIJ")) {
            n += Count(c);
        }
        return n;
    }

    std::string CardText(sim::TSimMemory memory) const { return device.Card().Text(memory); }

    TempDir dir;
    std::filesystem::path folder;
    TPSettingsStore settings;
    TFakeClock clock;
    sim::TSimDevice device;
    TCountingPump pump;
    TManualPollScheduler scheduler;
    TRecordedGauge gauge;
    TRecordedPrompts linkPrompts;
    TRecordingView view;
    TRecordingPrompts prompts;
    // Which device each port item stands for; the simulator answers on all.
    TPortMap ports;
    TPMainWorkflows flows;
    TPOptionReader options;

private:
    std::string cardType_;
};

// The settings a card type's file keeps, as a fresh store reads them.
inline TPCardDefaults StoredDefaults(const TWorkflowRig& rig, const std::string& name) {
    TPCardIni store;
    store.SetBaseDir(rig.folder);
    store.ScanCardTypes();
    for (int i = 0; i < store.GetCardCount(); ++i) {
        if (store.GetCardInfo(i)->CardName == name) {
            TPCardDefaults defaults;
            store.ReadDefaults(i, defaults);
            return defaults;
        }
    }
    throw std::runtime_error("no card type " + name);
}

// --- image files

// Four-digit words, high byte first, as the images and the card hold them.
inline std::string WordsText(const std::vector<std::uint16_t>& words) {
    std::string bytes;
    for (const auto w : words) {
        bytes += static_cast<char>(w >> 8);
        bytes += static_cast<char>(w & 0xFF);
    }
    return HexOf(bytes);
}

// A PIC program file: words from address 0, data EEPROM bytes at 0x4200 (one
// per word), and the configuration word at 0x400E when given.
inline std::string PicHexFile(const std::vector<std::uint16_t>& words,
                              const std::vector<std::uint8_t>& eeprom,
                              std::optional<std::uint16_t> configWord) {
    std::vector<std::uint8_t> program;
    for (const auto w : words) {
        program.push_back(static_cast<std::uint8_t>(w & 0xFF));
        program.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    std::vector<std::uint8_t> data;
    for (const auto b : eeprom) {
        data.push_back(b);
        data.push_back(0);
    }
    std::string text = HexData(0, program) + HexData(0x4200, data);
    if (configWord) {
        text += HexRecord(0x400E, 0,
                          {static_cast<std::uint8_t>(*configWord & 0xFF),
                           static_cast<std::uint8_t>(*configWord >> 8)});
    }
    return text + HexEnd();
}

inline std::vector<std::uint16_t> SomeWords(std::size_t count, unsigned seed = 0) {
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < count; ++i) {
        words.push_back(static_cast<std::uint16_t>((i * 0x0123 + seed * 0x0101 + 0x0801) & 0x3FFF));
    }
    return words;
}

inline std::vector<std::uint8_t> SomeBytes(std::size_t count, unsigned seed = 0) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((i * 37 + seed * 11 + 5) & 0xFF));
    }
    return bytes;
}

inline std::string BytesText(const std::vector<std::uint8_t>& bytes) {
    return HexOf(std::string(bytes.begin(), bytes.end()));
}

inline bool AllOf(const std::string& text, char c) {
    return text.find_first_not_of(c) == std::string::npos;
}

} // namespace korvex::testing
