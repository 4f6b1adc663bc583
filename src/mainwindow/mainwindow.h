#pragma once

#include "link/seams.h"
#include "workflows/intents.h"
#include "workflows/logpanel.h"
#include "workflows/mainview.h"
#include "workflows/snapshot.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QActionGroup;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QUrl;
class QToolButton;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TFileChooser;
class TGauge;
class TfrmProduction;

// The main window: a face over the workflows. Every control hands its event
// to an intent; what the workflows report is drawn from their snapshot by
// Render, which never fires an intent.
class Tfrmmain final : public QMainWindow, public TMainView, public TProgressSink {
    Q_OBJECT
public:
    static constexpr int kNormalWidth = TPLogPanel::kNormalWidth;
    static constexpr int kWideWidth = TPLogPanel::kWideWidth;

    Tfrmmain(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
             QWidget* parent = nullptr);
    ~Tfrmmain() override;

    // Which serial devices the Port menu offers (the machine's, by default).
    void SetDeviceLister(std::function<std::vector<std::string>()> lister);

    // Hands documents and addresses to the desktop (QDesktopServices by default).
    void SetUrlOpener(std::function<void(const QUrl&)> opener);

    // Draws everything the workflows report, now.
    void Render();

    // TMainView: each change is drawn from the snapshot.
    void ShowStatus(const std::string& caption, TStatusColour colour) override;
    void ShowFileRow(TFileRow row, const TRowStatus& status) override;
    void ShowFieldText(TFileRow row, const std::string& text) override;
    void ShowCardLayout(const TCardLayout& layout) override;
    void ShowDescription(const std::string& text) override;
    void ShowFuses(const TFuseChoices& fuses) override;
    void ShowWindowCaption(const std::string& caption) override;
    void ShowPortChoice(int comPort) override;
    void ShowSpeedChoice(TBaudRate rate) override;
    void ShowLanguage() override;
    void EnableCommands(bool enabled) override;
    void ShowReadBack(TPReadBack& readBack) override;
    void ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) override;
    void OpenDocument(const std::string& target) override;
    void RequestClose() override;
    // TProgressSink: the gauge.
    void SetProgress(int percent) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct TRowWidgets {
        QLabel* label = nullptr;
        QLineEdit* field = nullptr;
        QToolButton* open = nullptr;
        QToolButton* view = nullptr;
        QLineEdit* status = nullptr;
    };

    // Building, in the order the window is put together.
    void BuildActions();
    void BuildMenus();
    QWidget* BuildCardPanel();
    QWidget* BuildFileRows();
    QWidget* BuildAdvancedTab();
    QWidget* BuildLockTab();
    QWidget* BuildButtons();
    QWidget* BuildLogPanel();
    void BuildStatusBar();
    QAction* NewAction(const char* name, const QString& text, std::function<void()> handler);
    QButtonGroup* NewRadioGroup(QGroupBox* box, const char* name, const QStringList& items,
                                TFuse fuse);

    // Runs a user's action; an error it throws is shown as an error box.
    void Handle(const std::function<void()>& action);
    void RunCommand(TCardCommand command);
    void PressBigButton(TBigButton button, QMenu* popup);
    void OpenRowFile(TFileRow row);
    void ViewRow(TFileRow row);
    void RefreshPortMenu();
    void ToggleLogPanel();
    void FlushLog();
    void AddCardType();
    void EditCardType();
    void ShowOptions();
    void ShowAbout();
    // Opens the production window, or brings it to the front.
    void ShowProduction();
    void SaveLog();

    // Drawing.
    void ScheduleRender();
    void RenderCaptions(const TMainSnapshot& shot);
    void RenderLayout(const TMainSnapshot& shot);
    void PlaceRows();
    void RenderRows(const TMainSnapshot& shot);
    void RenderEnabled(const TMainSnapshot& shot);
    void RenderChoices(const TMainSnapshot& shot);
    void SetCaption(const std::string& control, const QString& text);
    int WindowHeight() const;

    TPMainWorkflows& work_;
    TPrompts& prompts_;
    TFileChooser& files_;
    std::function<std::vector<std::string>()> deviceLister_;
    std::function<void(const QUrl&)> urlOpener_;

    QTimer renderTimer_;
    QTimer logTimer_;
    QTimer closeTimer_;
    QStringList pendingLog_;
    bool rendering_ = false;
    bool closing_ = false;
    bool centred_ = false;
    bool commandsEnabled_ = true;
    bool avrLayout_ = false;

    // Widgets and actions the drawing reaches.
    QComboBox* cardType_ = nullptr;
    QLabel* description_ = nullptr;
    QGroupBox* cardProp_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* tbsSimple_ = nullptr;
    QWidget* tbsAdvanced_ = nullptr;
    QWidget* tbsLock_ = nullptr;
    QWidget* tbsFuses_ = nullptr;
    std::array<TRowWidgets, kFileRowCount> rows_{};
    QButtonGroup* watchDog_ = nullptr;
    QButtonGroup* powerUp_ = nullptr;
    QButtonGroup* protection_ = nullptr;
    QButtonGroup* oscillator_ = nullptr;
    QButtonGroup* lock_ = nullptr;
    std::array<QPushButton*, 4> bigButtons_{};
    QPushButton* lockButton_ = nullptr;
    QLabel* image1_ = nullptr;
    QToolButton* productionButton_ = nullptr;
    TfrmProduction* production_ = nullptr;
    QWidget* leftPanel_ = nullptr;
    QWidget* logPanel_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QLineEdit* delay_ = nullptr;
    QPushButton* startLog_ = nullptr;
    QLabel* status_ = nullptr;
    TGauge* gauge_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* setupMenu_ = nullptr;
    QMenu* portMenu_ = nullptr;
    QMenu* speedMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* popRead_ = nullptr;
    QMenu* popWrite_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
    std::vector<std::string> languagesShown_;
    std::vector<std::string> cardTypesShown_;
    std::vector<TCaptionText> captionsShown_;
};

} // namespace korvex::gui
