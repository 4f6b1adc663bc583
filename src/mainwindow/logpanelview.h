#pragma once

#include "workflows/presenter/snapshot.h"

#include <QGroupBox>
#include <QStringList>
#include <QTimer>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvex {
class TPMainWorkflows;
class TPrompts;
} // namespace korvex

namespace korvex::gui {

class TCaptionTargets;
class TFileChooser;

// The log panel: the conversation with the programmer as it comes, its
// start, save and clear buttons, and the pause between blocks. Hidden until
// the user asks for it.
class TLogPanelView final : public QGroupBox {
    Q_OBJECT
public:
    TLogPanelView(TPMainWorkflows& work, TFileChooser& files, QWidget* parent = nullptr);
    ~TLogPanelView() override;

    void AddCaptions(TCaptionTargets& captions);
    void Render(const TMainSnapshot& shot);
    // Shows the lines gathered since the last burst, now.
    void Flush();

signals:
    // The user changed something the window shows.
    void Changed();

private:
    void SaveLog();

    TPMainWorkflows& work_;
    TFileChooser& files_;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* startLog_ = nullptr;
    QCheckBox* hidePolls_ = nullptr;
    QLineEdit* delay_ = nullptr;
    QTimer flushTimer_;
    QStringList pending_;
};

} // namespace korvex::gui
