#pragma once

#include "dialogs/filechooser.h"
#include "dialogs/messageboxes.h"
#include "link/portmap.h"
#include "link/serialbackend.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/production/gangparts.h"
#include "mainwindow/production/portsinuse.h"
#include "mainwindow/qtseams.h"
#include "support/datafolders.h"
#include "support/settingsstore.h"
#include "workflows/presenter/mainworkflows.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace korvex::gui {

// What a run of the program may put in place of the defaults: the tests
// their own answers, programmer and settings; the command line a port.
struct TAppParts {
    // The user settings' folder; the user's default when empty.
    std::filesystem::path settingsFolder;
    // Message boxes and file dialogs; Qt's when null.
    TPrompts* prompts = nullptr;
    TLinkPrompts* linkPrompts = nullptr;
    TFileChooser* files = nullptr;
    // Opens the port items; through the port map when empty, with the
    // built-in simulator holding a card of the card type shown.
    TBackendFactory factory;
    // A device or "sim" that stands for "Com 1" in this run only.
    std::string portOverride;
    // The programmers the production window may drive beside the main
    // window's, and how it opens each; the serial devices there are and the
    // simulator when empty.
    std::function<std::vector<std::string>()> gangDevices;
    std::function<TBackendFactory(const std::string& device, const std::string& cardType)>
        gangOpener;
};

// The program put together: the settings, the port map, the workflows over
// the Qt message pump, poll timer and gauge, and the main window over them.
class TKorvexApp {
public:
    TKorvexApp(TPDataFolders folders, TAppParts parts = {});
    ~TKorvexApp();
    TKorvexApp(const TKorvexApp&) = delete;
    TKorvexApp& operator=(const TKorvexApp&) = delete;

    // The window's first showing: the line, the card types and the settings.
    void Start(const TStartChoices& choices = {});

    // An error no handler caught, shown as any failure of a user's action.
    void ShowError(const std::exception& error);

    Tfrmmain& Window() { return *window_; }
    TPMainWorkflows& Work() { return *work_; }
    const TPortMap& Ports() const { return ports_; }
    const TQtPollScheduler& Poll() const { return scheduler_; }

private:
    std::unique_ptr<TSerialBackend> OpenSimulator();
    // The built-in programmer holds a card of the card type shown: after a
    // change of card type the line to it is opened again, with the new card.
    void FollowCardTypeWithSimulator();
    void Changed();

    TPDataFolders folders_;
    TPSettingsStore settings_;
    TPortMap ports_;
    TQtMessagePump pump_;
    TQtPollScheduler scheduler_;
    TProgressRelay gauge_;
    TViewRelay view_;
    TQtPrompts qtPrompts_;
    TPrompts* prompts_ = nullptr;
    TQtFileChooser qtFiles_;
    // One simulated card per card type, kept until the program ends.
    std::map<std::string, std::function<std::unique_ptr<TSerialBackend>()>> simulators_;
    std::string simulatedCard_;
    bool followScheduled_ = false;
    // The factory is the built-in one, whose simulator holds the card type shown.
    bool followsSimulator_ = false;
    // The ports the production window's run drives, which the main
    // window's line leaves alone meanwhile.
    TPortsInUse inUse_;
    TGangParts gang_;
    std::unique_ptr<TPMainWorkflows> work_;
    std::unique_ptr<Tfrmmain> window_;
};

} // namespace korvex::gui
