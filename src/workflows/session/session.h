#pragma once

#include "link/portmap.h"
#include "link/serialbackend.h"
#include "workflows/cardtype/cardchange.h"
#include "workflows/cardtype/cardtypeeditor.h"
#include "workflows/presenter/logpanel.h"
#include "workflows/presenter/optionsdialog.h"
#include "workflows/production/productionrun.h"
#include "workflows/session/cardcommands.h"
#include "workflows/session/faceterms.h"
#include "workflows/session/sessionevents.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// Everything a face hands a session.
struct TSessionSeams {
    TPrompts& prompts;
    TLinkPrompts* linkPrompts = nullptr;
    TMessagePump* pump = nullptr;
    TPollScheduler* scheduler = nullptr;
    TClock* clock = nullptr;
    // Which device each port item stands for, when the face lets the user
    // choose devices by name; the backend factory must open through it.
    TPortMap* ports = nullptr;
    // What the face is asked to do: show a read, a file, a document.
    TMainView* view = nullptr;
};

// Values a face chooses in place of the remembered ones (the command line's
// --port, --speed, --card and files). They hold for this run: the settings
// and the card type's file keep what they had, unless the user changes the
// value in the face.
struct TStartChoices {
    std::optional<int> comPort; // 0 offline, 1..8
    std::optional<TBaudRate> speed;
    std::optional<std::string> cardName; // found as FindCardItem finds it
    std::optional<std::string> programFile = std::nullopt;
    std::optional<std::string> eepromFile = std::nullopt;
    // Whether leaving a card type stores the settings shown for it in its
    // file. A face that runs one command and goes leaves the files alone
    // unless it asks for it (StoreCardSettings).
    bool storeCardSettings = true;
    // A window started with no settings at all and none of the values above
    // starts ready to try: on the built-in simulator (through the port map,
    // as Com 1), with the sample card type and its sample files. Nothing is
    // stored at the close unless the user changed something; then what is
    // shown is stored, the simulator as Com 1 with it.
    bool sampleOnFirstStart = false;
};

// The card type and files a first start shows, as the data folders ship them.
struct TSampleStart {
    static constexpr const char* kCard = "PIC16F84-24C16";
    static constexpr const char* kProgramFile = "samples/sample84.hex";
    static constexpr const char* kEepromFile = "samples/sample24c16.hex";
};

// One programmer and everything about it: the card type chosen, the file
// rows, the options, the line, the card commands, the production run and its
// serial claims, in the language its messages are worded in. Every intent of
// a face comes in through a method of this object and ends with its result;
// nothing throws to a face. While a card command runs, every intent that
// would change the card, the files or the line is refused (irRefused), here,
// for every face: a face's events keep arriving between the blocks of a
// transfer.
class TPSession {
public:
    static constexpr int kPollMs = TPLine::kPollMs;
    static constexpr int kStartDelayMs = TPLine::kStartDelayMs;

    // The language table with "English", the selector over the data folders.
    TPSession(TPDataFolders folders, TPSettingsStore& settings, TBackendFactory factory,
              TSessionSeams seams);
    ~TPSession();
    TPSession(const TPSession&) = delete;
    TPSession& operator=(const TPSession&) = delete;

    // What the face is told; one face per session.
    // What the face is told; one face per session. A face that takes the
    // log's lines here leaves the log panel's OnLineAdded to the session.
    void SetEvents(TSessionEvents events);

    // --- start and close

    // The driver, the card types, the poll, then the settings (or the
    // face's choices in their place). irFailed, with the message shown, for a
    // card name no card type has (the remembered card type is shown then) or
    // catalogues that cannot be read.
    TIntentResult Start(const TStartChoices& choices = {});
    // The chosen card type's settings into its file, the line freed and the
    // settings saved; what cannot be written is shown, the rest is saved.
    // Only while nothing runs.
    void Close();
    // Asks what runs to end for a close: a production run after the card in
    // hand, a command at its next block. The close waits until Busy() is false.
    void StopForClose();
    bool ClosePending() const { return runState_.ClosePending(); }
    // Asks a command still running at the close once more to stop.
    void AbortForClose();
    // One release to the programmer, unless it is silent or released already.
    void ReleaseLine() { line_.Release(); }
    // Frees the driver, which releases the programmer, without saving anything.
    void Shutdown();
    // Opens a user action: false, changing nothing, while something runs.
    bool BeginUserAction();

    // --- the card type

    TIntentResult ChooseCardType(const std::string& name);
    // The dialogs' logic for the card type commands; the edit one is for the
    // chosen card type.
    TPCardTypeEditor AddCardTypeEditor() const;
    TPCardTypeEditor EditCardTypeEditor() const;
    // A dialog accepted: writes the card type, then the list is scanned
    // again. irDeclined when a field is empty; irFailed, with the message
    // shown, for a name that cannot be a card type's file, a processor or
    // EEPROM the catalogue does not list, or a file that cannot be written.
    TIntentResult AddCardType(const TCardTypeFields& fields);
    TIntentResult EditCardType(const TCardTypeFields& fields);
    // Asks, then deletes the chosen card type; a card type that cannot be
    // deleted (gone, or in a folder the user cannot change) is reported.
    TIntentResult DeleteCardType();
    // Scans the card types again, e.g. after files changed outside.
    TIntentResult RefreshCardTypes();
    // Writes the settings shown for the chosen card type into its file now.
    TIntentResult StoreCardSettings();
    // The serial fields of the chosen card type (none when it has none).
    // Throws nothing: a file that cannot be read gives none, the reason shown.
    std::vector<TSerialField> SerialFields();
    // Sets fields written on one line each (SerialFieldOfLine: a field of
    // the same name is replaced, a new one added) and removes the fields
    // named, then writes them into the card type's file. irFailed, the
    // reason shown, for a field that cannot be right; nothing is written then.
    TIntentResult EditSerialFields(const std::vector<std::string>& set,
                                   const std::vector<std::string>& remove);
    // A field written on one line as EditSerialFields takes it, checked as
    // the chosen card type's file would be and against its memories; nullopt,
    // the reason shown, for one that cannot be right or cannot fit. Nothing
    // is written.
    std::optional<TSerialField> CheckSerialField(const std::string& line);

    // --- files and fuses

    // Sets a file row's field; the row is evaluated (the file loaded) even
    // when the text is the one it had. irFailed: the file could not be
    // loaded and the reason has been shown.
    TIntentResult SetFileField(TFileRow row, const std::string& text);
    TIntentResult SetFuse(TFuse fuse, int item);
    // The file a row's view shows: its field, or the loader it loads; none
    // for an empty EEPROM row or no loader.
    std::optional<std::string> ViewableFile(TFileRow row) const;

    // --- the line

    TIntentResult ChoosePort(int number); // 1..8
    TIntentResult ChooseOffline();
    TIntentResult ChooseSpeed(TBaudRate rate);
    // A serial device by its path, or the built-in simulator (TPortMap::
    // kSimulator): the port item that stands for it is chosen; when none
    // does, the device takes the place of "Com 1", and the map is saved so
    // the choice holds at the next start. Needs the seams' port map.
    TIntentResult ChooseDevice(const std::string& path);
    // The spare actions "O&ffline" and "Com &1".."Com &4" (0..4): they connect
    // without closing the line first.
    TIntentResult ComPortAction(int number);
    // One card-state poll, for a face without a poll scheduler.
    TIntentResult PollNow();
    // A programmer just opened may need a moment before it answers.
    static constexpr int kFirstAnswerMs = 1000;
    // Polls until the programmer answers, the first answer's time is out,
    // the line is not open or `stop` (when given) says so; whether it answered.
    bool AwaitFirstAnswer(const std::function<bool()>& stop = {});
    // Opens the chosen port again, e.g. so the built-in simulator takes up
    // the card type shown; no choice of the user's, so nothing is stored.
    TIntentResult ReopenLine();
    // Lets go of a line whose programmer never answered, without the release
    // a silent programmer would keep the user waiting for.
    TIntentResult AbandonLine();

    // --- language and options

    TIntentResult ChooseLanguage(const std::string& name);
    // The face's own words for some messages (see TPLang::SetStandIns).
    void SetStandIns(std::map<int, int> standIns) { lang_.SetStandIns(std::move(standIns)); }
    // The options dialog: the boxes as the options file has them (the
    // failure that stopped the reading, nullopt when all eight were read; the
    // boxes not reached keep their state), and the boxes accepted, where a
    // file that cannot be written is reported.
    std::optional<std::string> ReadOptions(TOptionBoxes& boxes);
    TIntentResult AcceptOptions(const TOptionBoxes& boxes);

    // --- card commands

    TOutcome RunCommand(TCardCommand command);
    // Asks a running command to stop at its next block; it ends quietly
    // (ocAborted) with the programmer released. The next command runs whole.
    // A production run stops with it.
    void RequestStop();
    // Told once Auto program or Write pic has passed its checks and is about
    // to change the card (see TPCardCommands::OnGoingAhead).
    void OnGoingAhead(std::function<void()> told) { commands_.OnGoingAhead = std::move(told); }
    // The programmer's firmware version: nullopt when no programmer answers
    // or something runs (it is not interrupted for this).
    std::optional<int> FirmwareVersion();

    // --- the production line

    // Auto programs each card as it arrives in the slot, until the plan's
    // count is reached or StopProduction; see TPProductionRun. The commands
    // and intents are refused meanwhile, as under a command. `inView`: what
    // would be a message box from the Start on goes to the observer's
    // Problem instead, for a face that shows the run in a view of its own.
    TProductionSummary RunProduction(const TProductionPlan& plan, TProductionObserver& observer,
                                     bool inView = false);
    // Ends the run after the card in hand.
    void StopProduction() { production_.Stop(); }
    bool ProductionRunning() const { return production_.Running(); }
    // Where a face keeps values of its own between runs (the production plan).
    TPSettingsStore& Settings() { return settings_; }

    // --- the frame log

    // Every frame sent and answer judged goes to the log panel's memo (and
    // the event `logLine`) from now on, or no longer.
    void LogFrames(bool on);
    bool LoggingFrames() const { return log_.Logging(); }
    // The panel that keeps the logged lines (usable while a command runs).
    TPLogPanel& LogPanel() { return log_; }
    const TPLogPanel& LogPanel() const { return log_; }

    // --- questions a face asks

    std::vector<std::string> CardTypeNames() const { return card_.Items(); }
    // A card type is chosen.
    bool HasCardType() const { return card_.Index() >= 0; }
    // Its place in CardTypeNames(), -1 for none.
    int CardTypeIndex() const { return card_.Index(); }
    std::string CardTypeName() const { return card_.Name(); }
    std::string CardDescription() const { return card_.Description(); }
    // The processor the chosen card type names is listed in the catalogue.
    bool CardTypeKnown() const { return card_.Layout().processorKind != -1; }
    std::string ProcessorName() const { return card_.Record().PicName; }
    std::string EepromName() const { return card_.Record().EepromName; }
    // The card's family.
    bool AvrKind() const { return card_.Layout().avrKind; }
    bool HasEeprom() const { return card_.HasEeprom(); }
    const TCardLayout& Layout() const { return card_.Layout(); }
    // The programmer's firmware suits the card type.
    bool CommandsAllowed() const { return card_.Layout().cardCommandsEnabled; }
    // The fuse choices shown, those the card type keeps, and where the shown
    // ones come from.
    TFuseChoices Fuses() const { return card_.Fuses().Shown(); }
    TFuseChoices StoredFuses() const { return card_.Fuses().ToStore(); }
    TFuseOrigin FuseOrigin() const { return card_.Fuses().Origin(); }
    // A file row as a face shows it: its field, status and problem.
    TRowView FileRow(TFileRow row) const;

    int ComPort() const { return line_.ComPort(); } // 0 offline
    TBaudRate Speed() const { return line_.Speed(); }
    bool Connected() const { return line_.Connected(); }
    // Why the chosen port could not be opened; empty when it was.
    std::string ConnectError() const { return line_.ConnectError(); }
    // The same as every face words it, naming the port: empty while the port
    // is open or none is chosen.
    std::string PortProblem() const;
    // The port chosen, as every message names it.
    TPortName PortName() const { return line_.PortName(); }
    TPCardState CardState() const { return line_.State(); }
    // The status panel: the programmer state, or the step of the command
    // that runs.
    const TPStatusPanel& Status() const { return status_; }
    int Progress() const { return relay_.Percent(); }

    // Why Auto program cannot run with the options as they are, in the
    // language chosen; nullopt when it can.
    std::optional<std::string> AutoOptionsProblem() const;
    // Whether Auto program, with the options as they are now, writes or
    // verifies the card's external EEPROM: never for a card type without one.
    bool AutoReachesEeprom() const { return commands_.AutoReachesEeprom(); }
    // Whether the command, with the options as they are now, writes the
    // processor (Auto program and Write pic; the others never do).
    bool WritesProcessor(TCardCommand command);
    // The 32-digit configuration text a write would send now: the program
    // file's configuration with the fuse choices laid over it. Empty when the
    // processor has no configuration word.
    std::string ConfigText() const { return commands_.ConfigText(); }
    // What the last card command found: its failing step, its first
    // difference, the images it sent.
    const TCommandReport& LastReport() const { return commands_.LastReport(); }
    // Where a verify found a card first differing, in the language shown.
    std::string DifferenceLine(const TPDifference& difference) const {
        return commands_.DifferenceLine(difference);
    }
    // The remarks of the command in hand, and what the last command did.
    const std::vector<std::string>& Notes() const { return notes_.Notes(); }
    const TCommandResult& Result() const { return notes_.Result(); }

    bool Busy() const { return runState_.Busy(); }
    // The line has been given a port, or Offline, since the start.
    bool PortChosen() const { return portChosen_; }
    bool CommandRunning() const { return runState_.CommandRunning(); }

    const std::string& Language() const { return languageName_; }
    const std::vector<std::string>& Languages() const { return languages_; }
    std::string Text(int entry) const { return lang_.GetText(entry); }
    const TPLang& Lang() const { return lang_; }
    // An error in the language chosen, as a message box words it.
    std::string Worded(const std::exception& error) const;

    // Shows what went wrong in a change: every intent ends with its result,
    // none throws to a face.
    TIntentResult Failed(const std::exception& error);

private:
    TIntentResult AcceptCardType(const TCardTypeFields& fields,
                                 TPCardTypeEditor (TPSession::*editorOf)() const);
    // Tests look at the state behind the questions; faces never do.
    friend struct TWorkflowsProbe;

    void LoadSettings(const TStartChoices& choices);
    // The choices of a first start on the simulator, or `choices` as they
    // are when this is no such start.
    TStartChoices FirstStartChoices(const TStartChoices& choices);
    // A sample file that is no longer there is left out rather than shown
    // as an error before the user did anything.
    void ShowSampleFile(TFileRow row, const std::string& relative);
    std::vector<std::pair<std::string, std::string>> SettingsValues() const;
    void SaveSettings();
    std::string UnknownCardMessage(const std::string& name) const;
    // Throws ESerialValue for a field outside the chosen card's memory.
    void CheckSerialFits(const TSerialField& field) const;
    // The parts typed into a card type dialog, spelled as the catalogue
    // spells them. Throws EKorvex for a part it does not list, naming the
    // close ones: a card type with it could not be chosen.
    TCardTypeFields SpelledParts(TCardTypeFields fields, const TPCardTypeEditor& editor) const;
    void DoChoosePort(int number);
    void DoChooseOffline();
    void DoChooseSpeed(TBaudRate rate);
    void StateChanged(TPCardState state);
    void ApplyLanguage(const std::string& name);
    // A language file passed over is told once the face is there to tell it.
    void TellLanguageProblem();
    std::string LanguageFaultWords(const TPLang::TProblem& problem) const;
    // Makes a change as a user action, unless a running command refuses it.
    template <typename Change>
    TIntentResult Take(Change change) {
        if (!BeginUserAction()) {
            return TIntentResult::irRefused;
        }
        try {
            change();
        } catch (const std::exception& error) {
            return Failed(error);
        }
        return TIntentResult::irDone;
    }

    // The values of TStartChoices the user has not changed since: the
    // settings keep what they had for them.
    struct TRunOnly {
        bool port = false;
        bool speed = false;
        bool card = false;
    };

    TSessionSeams seams_;
    TSessionEvents events_;
    TSessionRelay relay_;
    TRunOnly runOnly_;
    // A first start on the simulator, and the settings it would store: the
    // close stores nothing while they are still what it showed.
    bool firstStart_ = false;
    bool portChosen_ = false;
    std::vector<std::pair<std::string, std::string>> firstStartValues_;
    TPDataFolders folders_;
    TPSettingsStore& settings_;
    TPLang lang_;
    TPOptionReader options_;
    TPromptRelay prompts_;
    TClock& clock_;
    TPCardChoice card_;
    TPFileRows rows_;
    TPLine line_;
    TPRunState runState_;
    TPStatusPanel status_;
    TPCommandNotes notes_;
    std::string languageName_;
    std::vector<std::string> languages_; // the language files found at start
    TPCardChange cardChange_;
    TPCardCommands commands_;
    TPLogPanel log_;
    TPProductionRun production_;
};

} // namespace korvex
