#pragma once

#include "workflows/presenter/snapshot.h"
#include "workflows/session/faceterms.h"

#include <QObject>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TCaptionTargets;

// The fuse tabs of the card properties: Advanced (the PIC's configuration
// choices), Lock (an AVR's lock) and Fuses (AVR kinds 9 and above, whose
// fuses are not set here, as a line of text says).
class TFusePages final : public QObject {
    Q_OBJECT
public:
    explicit TFusePages(TPMainWorkflows& work, QObject* parent = nullptr);

    QWidget* Advanced() const { return advanced_; }
    QWidget* Lock() const { return lock_; }
    QWidget* Fuses() const { return fuses_; }

    void AddCaptions(TCaptionTargets& captions);
    void Render(const TMainSnapshot& shot);

signals:
    void Changed();

private:
    QButtonGroup* NewRadioGroup(QGroupBox* box, const char* name, const QStringList& items,
                                TFuse fuse);

    TPMainWorkflows& work_;
    QWidget* advanced_ = nullptr;
    QWidget* lock_ = nullptr;
    QWidget* fuses_ = nullptr;
    QLabel* noFuses_ = nullptr;
    QButtonGroup* watchDog_ = nullptr;
    QButtonGroup* powerUp_ = nullptr;
    QButtonGroup* protection_ = nullptr;
    QButtonGroup* oscillator_ = nullptr;
    QButtonGroup* lockChoice_ = nullptr;
    QPushButton* lockButton_ = nullptr;
};

} // namespace korvex::gui
