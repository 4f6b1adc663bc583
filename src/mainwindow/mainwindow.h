#pragma once

#include "dialogs/captiontargets.h"
#include "link/seams.h"
#include "workflows/presenter/mainview.h"
#include "workflows/presenter/snapshot.h"
#include "workflows/session/faceterms.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QUrl;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TCardPanel;
class TFileChooser;
class TLogPanelView;
class TMainActions;
class TStatusStrip;
class TfrmProduction;
struct TGangParts;

// The main window: a face over the workflows, composed of the card panel,
// the log panel, the status strip and the menus' actions. Each control hands
// its event to an intent; what the workflows report is drawn from their
// snapshot by Render, which never fires an intent. Layouts place everything,
// so the window may be resized and its minimum fits its longest texts in
// every language.
class Tfrmmain final : public QMainWindow, public TMainView, public TProgressSink {
    Q_OBJECT
public:
    Tfrmmain(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
             QWidget* parent = nullptr);
    ~Tfrmmain() override;

    // Which serial devices the Port menu offers (the machine's, by default).
    void SetDeviceLister(std::function<std::vector<std::string>()> lister);
    // What the production window needs to drive programmers of its own.
    void SetGangParts(const TGangParts* parts) { gangParts_ = parts; }
    // Hands documents and addresses to the desktop (QDesktopServices by default).
    void SetUrlOpener(std::function<void(const QUrl&)> opener);

    // Draws everything the workflows report, now.
    void Render();
    TLogPanelView& LogPanel() const { return *log_; }
    // Shows or hides the log panel beside the card panel, the window kept on
    // its screen.
    void ToggleLogPanel();

    // The workflows' change notice: the window draws itself whole from the
    // snapshot, at once while a command runs or as one ends, else once the
    // intent in hand is through.
    void Changed();
    // TMainView: what the workflows ask of the window.
    void ShowReadBack(TPReadBack& readBack) override;
    void ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) override;
    void OpenDocument(const std::string& target) override;
    void RequestClose() override;
    // TProgressSink: the gauges.
    void SetProgress(int percent) override;

signals:
    // The close has been carried out: the settings are saved and the line
    // let go. A close that waited for a command hides the window first, so
    // Qt never sees a window that was visible closing, and would not quit.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ConnectActions();
    void ScheduleRender();
    void RenderCaptions(const TMainSnapshot& shot);
    void PressBigButton(TBigButton button);
    void OpenRowFile(TFileRow row);
    void RefreshPortMenu();
    // The dialogs the window opens.
    void AddCardType();
    void EditCardType();
    void ShowOptions();
    void ShowAbout();
    // Opens the production window, or brings it to the front.
    void ShowProduction();

    TPMainWorkflows& work_;
    TPrompts& prompts_;
    TFileChooser& files_;
    std::function<std::vector<std::string>()> deviceLister_;
    std::function<void(const QUrl&)> urlOpener_;

    TMainActions* actions_ = nullptr;
    TCardPanel* card_ = nullptr;
    TLogPanelView* log_ = nullptr;
    TStatusStrip* strip_ = nullptr;
    TfrmProduction* production_ = nullptr;
    const TGangParts* gangParts_ = nullptr;
    TCaptionTargets captions_;
    std::vector<TCaptionText> captionsShown_;

    QTimer renderTimer_;
    QTimer closeTimer_;
    bool rendering_ = false;
    // What the last drawing showed of the commands: whether one ran, and the
    // result of the last.
    bool runningShown_ = false;
    TCommandResult resultShown_;
    bool closing_ = false;
    bool centred_ = false;
    // The window's width before the log panel was shown, to go back to.
    int widthWithoutLog_ = 0;
};

} // namespace korvex::gui
