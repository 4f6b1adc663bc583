#pragma once

#include "workflows/presenter/snapshot.h"
#include "workflows/session/faceterms.h"

#include <QWidget>

#include <array>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TCaptionTargets;
class TFileRowsView;
class TFusePages;

// The left of the main window: the card type chooser, the card properties
// (the file rows and the fuse tabs, the log's picture and the production
// button) and the four big buttons. Drawn whole from a snapshot; what needs
// the window (dialogs, pop-up menus, the log panel) it asks for by a signal.
class TCardPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TCardPanel(TPMainWorkflows& work, QWidget* parent = nullptr);

    void AddCaptions(TCaptionTargets& captions);
    // `idle`: nothing runs, so the card, the files and the line may change.
    void Render(const TMainSnapshot& shot, bool idle);
    TFileRowsView& Rows() const { return *rows_; }
    QPushButton* BigButton(TBigButton button) const {
        return buttons_[static_cast<std::size_t>(button) - 1];
    }

signals:
    void OpenFileAsked(TFileRow row);
    // The user changed something; the window shows it as it is now.
    void Changed();
    void LogPanelAsked();
    void ProductionAsked();
    // A big button pressed: its pop-up at the pointer or under the button.
    void BigButtonPressed(TBigButton button);
    // Its pop-up asked for with a right click, at `at` (global).
    void BigButtonMenuAsked(TBigButton button, const QPoint& at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildButtons();

    TPMainWorkflows& work_;
    QComboBox* cardType_ = nullptr;
    QLabel* description_ = nullptr;
    QGroupBox* cardTypeBox_ = nullptr;
    QGroupBox* cardProp_ = nullptr;
    QTabWidget* pages_ = nullptr;
    TFileRowsView* rows_ = nullptr;
    TFusePages* fuses_ = nullptr;
    QLabel* logPicture_ = nullptr;
    QToolButton* production_ = nullptr;
    std::array<QPushButton*, 4> buttons_{};
    std::vector<std::string> cardTypesShown_;
};

} // namespace korvex::gui
