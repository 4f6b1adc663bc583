#include "mainwindow/fusepages.h"

#include "dialogs/captiontargets.h"
#include "dialogs/widgettools.h"
#include "workflows/presenter/mainworkflows.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace korvex::gui {

TFusePages::TFusePages(TPMainWorkflows& work, QObject* parent) : QObject(parent), work_(work) {
    advanced_ = Named(new QWidget, "tbsAdvanced");
    auto* grid = new QGridLayout(advanced_);
    // Captioned in the language chosen, as the items of the three on/off groups.
    const QStringList onOff{QString(), QString()};
    auto* watchDog = new QGroupBox;
    auto* powerUp = new QGroupBox;
    auto* protection = new QGroupBox;
    auto* oscillator = new QGroupBox;
    watchDog_ = NewRadioGroup(watchDog, "rdgWatchDog", onOff, TFuse::fuWatchDog);
    powerUp_ = NewRadioGroup(powerUp, "rdgPowerUp", onOff, TFuse::fuPowerUp);
    protection_ = NewRadioGroup(protection, "rdgProtection", onOff, TFuse::fuProtection);
    QStringList oscillatorNames;
    for (const std::string_view name : kOscillatorNames) {
        oscillatorNames << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    oscillator_ = NewRadioGroup(oscillator, "rdgOscil", oscillatorNames, TFuse::fuOscillator);
    grid->addWidget(watchDog, 0, 0);
    grid->addWidget(powerUp, 0, 1);
    grid->addWidget(protection, 1, 0);
    grid->addWidget(oscillator, 0, 2, 2, 1);
    // A user id field the programmer has no command for: kept out of sight.
    auto* userId = Named(new QGroupBox(QStringLiteral("UserId"), advanced_), "grbUserId");
    Named(new QLineEdit(userId), "edtUserId");
    userId->hide();

    lock_ = Named(new QWidget, "tbsLock");
    auto* lockRow = new QHBoxLayout(lock_);
    auto* lock = new QGroupBox;
    lockChoice_ = NewRadioGroup(lock, "rdgLock", onOff, TFuse::fuLock);
    lockRow->addWidget(lock, 0, Qt::AlignTop);
    lockRow->addStretch(1);
    // Auto program and Write Pic lock the card as the Lock choice says; the
    // button itself is never offered.
    lockButton_ = Named(new QPushButton(QStringLiteral("Lock card"), lock_), "btnLock");
    lockButton_->hide();

    fuses_ = Named(new QWidget, "tbsFuses");
    auto* fuseColumn = new QVBoxLayout(fuses_);
    noFuses_ = Named(new QLabel, "lblNoFuses");
    noFuses_->setWordWrap(true);
    fuseColumn->addWidget(noFuses_);
    fuseColumn->addStretch(1);
}

QButtonGroup* TFusePages::NewRadioGroup(QGroupBox* box, const char* name, const QStringList& items,
                                        TFuse fuse) {
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i]);
        button->setObjectName(QStringLiteral("%1:%2").arg(QString::fromLatin1(name)).arg(i));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    connect(group, &QButtonGroup::idClicked, this, [this, fuse](int id) {
        work_.SetFuse(fuse, id);
        emit Changed();
    });
    return group;
}

void TFusePages::AddCaptions(TCaptionTargets& captions) {
    for (QButtonGroup* group : {watchDog_, powerUp_, protection_, oscillator_, lockChoice_}) {
        captions.Add(group->parent());
        if (group == oscillator_) {
            continue; // LP, XT, HS and RC are the oscillators' own names
        }
        for (QAbstractButton* button : group->buttons()) {
            captions.Add(button);
        }
    }
    captions.Add(lockButton_);
    captions.Add(noFuses_);
}

void TFusePages::Render(const TMainSnapshot& shot) {
    const std::array<std::pair<QButtonGroup*, int>, 5> fuses{{
        {watchDog_, shot.fuses.watchDog},
        {powerUp_, shot.fuses.powerUp},
        {protection_, shot.fuses.protection},
        {oscillator_, shot.fuses.oscillator},
        {lockChoice_, shot.fuses.lock},
    }};
    for (const auto& [group, item] : fuses) {
        const QSignalBlocker blocker(group);
        if (QAbstractButton* button = group->button(item)) {
            button->setChecked(true);
        } else if (QAbstractButton* checked = group->checkedButton()) {
            // No item chosen: none is shown checked.
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    }
}

} // namespace korvex::gui
