// Drawing the window from the workflows' snapshot. Nothing here fires an
// intent: every widget is changed under a signal blocker.
#include "dialogs/qtext.h"
#include "link/portmap.h"
#include "mainwindow/gauge.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/productionwindow.h"
#include "workflows/mainworkflows.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

namespace korvex::gui {

namespace {

QColor ColourOf(TStatusColour colour, const QPalette& palette) {
    switch (colour) {
    case TStatusColour::scRed:
        return {255, 0, 0};
    case TStatusColour::scYellow:
        return {255, 255, 0};
    case TStatusColour::scLime:
        return {0, 255, 0};
    case TStatusColour::scButtonFace:
        break;
    }
    return palette.color(QPalette::Button);
}

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    if (palette.color(role) != colour) {
        palette.setColor(role, colour);
        palette.setColor(role == QPalette::Base ? QPalette::Text : QPalette::WindowText, Qt::black);
        widget->setPalette(palette);
    }
}

// A menu shows "&" as a hot key; a name is shown as it is.
QString Literal(const std::string& text) {
    return Q(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void Tfrmmain::ScheduleRender() {
    if (!renderTimer_.isActive()) {
        renderTimer_.start();
    }
}

void Tfrmmain::Render() {
    if (rendering_ || closing_) {
        return;
    }
    rendering_ = true;
    renderTimer_.stop();
    const TMainSnapshot shot = work_.Snapshot();

    setWindowTitle(Q(shot.windowCaption));
    status_->setText(Q(shot.statusCaption));
    // Why the chosen port is not open, for a user who wonders.
    status_->setToolTip(shot.connected || shot.connectError.empty() ? QString()
                                                                    : Q(shot.connectError));
    Paint(status_, QPalette::Window, ColourOf(shot.statusColour, palette()));
    gauge_->SetValue(shot.gauge);

    if (shot.cardTypes != cardTypesShown_) {
        const QSignalBlocker blocker(cardType_);
        cardType_->clear();
        for (const std::string& name : shot.cardTypes) {
            cardType_->addItem(Q(name));
        }
        cardTypesShown_ = shot.cardTypes;
    }
    {
        const QSignalBlocker blocker(cardType_);
        cardType_->setCurrentIndex(shot.cardIndex);
    }
    description_->setText(Q(shot.description));

    RenderCaptions(shot);
    RenderRows(shot);
    RenderLayout(shot);
    RenderChoices(shot);
    RenderEnabled(shot);
    startLog_->setText(Q(shot.logButtonCaption));
    if (production_ != nullptr) {
        // Whether a run can start follows the commands; its words follow the language.
        production_->Refresh();
    }
    rendering_ = false;
}

void Tfrmmain::SetCaption(const std::string& control, const QString& text) {
    const QString name = Q(control);
    QObject* target = findChild<QObject*>(name);
    if (target == nullptr) {
        return;
    }
    if (auto* page = qobject_cast<QWidget*>(target);
        page != nullptr && pages_->indexOf(page) >= 0) {
        pages_->setTabText(pages_->indexOf(page), text);
    } else if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(text);
    }
}

void Tfrmmain::RenderCaptions(const TMainSnapshot& shot) {
    if (shot.captions == captionsShown_) {
        return;
    }
    captionsShown_ = shot.captions;
    for (const auto& [control, text] : shot.captions) {
        SetCaption(control, Q(text));
    }
}

void Tfrmmain::RenderRows(const TMainSnapshot& shot) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const TRowWidgets& row = rows_[i];
        const TRowView& view = shot.rows[i];
        const QString field = Q(view.field);
        if (row.field->text() != field) {
            // Typing goes on where it was when the text is the one typed.
            const QSignalBlocker blocker(row.field);
            row.field->setText(field);
        }
        row.status->setText(Q(view.status.text));
        Paint(row.status, QPalette::Base, ColourOf(view.status.colour, palette()));
        row.view->setEnabled(view.status.viewEnabled);
    }
}

void Tfrmmain::RenderChoices(const TMainSnapshot& shot) {
    const auto action = [this](const QString& name) { return findChild<QAction*>(name); };
    action(QStringLiteral("Offline2"))->setChecked(shot.comPort == 0);
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        QAction* item = action((QStringLiteral("Com%1").arg(n) + QLatin1Char('2')));
        item->setChecked(shot.comPort == n);
        const std::string& device = shot.portDevices[static_cast<std::size_t>(n - 1)];
        QString text = QStringLiteral("Com &%1").arg(n);
        if (!device.empty()) {
            text +=
                QStringLiteral("\t") +
                (device == TPortMap::kSimulator ? QStringLiteral("Simulator") : Literal(device));
        }
        item->setText(text);
    }
    const std::string chosenDevice =
        shot.comPort >= 1 && shot.comPort <= TPortMap::kPortCount
            ? shot.portDevices[static_cast<std::size_t>(shot.comPort - 1)]
            : std::string();
    for (QAction* item : findChildren<QAction*>(QStringLiteral("device"))) {
        item->setChecked(!chosenDevice.empty() && U(item->data().toString()) == chosenDevice);
    }
    action(QStringLiteral("N9600baud1"))->setChecked(shot.speed == TBaudRate::br19200);
    action(QStringLiteral("N115200baud1"))->setChecked(shot.speed == TBaudRate::br115200);

    if (shot.languages != languagesShown_) {
        for (QAction* old : languageGroup_->actions()) {
            delete old;
        }
        for (const std::string& name : shot.languages) {
            auto* item = new QAction(Literal(name), languageGroup_);
            item->setObjectName(Q(name));
            item->setCheckable(true);
            connect(item, &QAction::triggered, this,
                    [this, name] { Handle([this, name] { work_.ChooseLanguage(name); }); });
            languageMenu_->addAction(item);
        }
        languagesShown_ = shot.languages;
    }
    for (QAction* item : languageGroup_->actions()) {
        item->setChecked(U(item->objectName()) == shot.language);
    }

    const std::array<std::pair<QButtonGroup*, int>, 5> fuses{{
        {watchDog_, shot.fuses.watchDog},
        {powerUp_, shot.fuses.powerUp},
        {protection_, shot.fuses.protection},
        {oscillator_, shot.fuses.oscillator},
        {lock_, shot.fuses.lock},
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

void Tfrmmain::RenderEnabled(const TMainSnapshot& shot) {
    // Each card of a production run is a command of its own: between cards
    // the commands stay off all the same.
    const bool idle = !shot.commandRunning && !shot.productionRunning && commandsEnabled_;
    const bool cardCommands = idle && shot.layout.cardCommandsEnabled;
    const auto enable = [this](const char* name, bool on) {
        if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) {
            action->setEnabled(on);
        }
    };
    for (const char* name : {"ReadPic1", "WritePic1", "VerifyPic1", "ErasePic1", "ReadEeprom1",
                             "WriteEeprom1", "VerifyEeprom1", "EreaseEeprom1", "AutoProgram1",
                             "Pic1", "Eeprom1", "MenuItem1", "MenuItem2", "Auto1"}) {
        enable(name, cardCommands);
    }
    editMenu_->setEnabled(shot.layout.cardCommandsEnabled);
    cardProp_->setEnabled(shot.layout.cardCommandsEnabled);
    for (QPushButton* button : bigButtons_) {
        button->setEnabled(cardCommands);
    }
    for (const char* name : {"LoadPicFile1", "LoadIntEepromFile1", "LoadEepromfile1",
                             "GetFirmwareVersion1", "Offline2", "N9600baud1", "N115200baud1",
                             "AddCardType1", "EditCardType1", "DeleteCardType1", "Options1",
                             "ComOffline", "ComPort1", "ComPort2", "ComPort3", "ComPort4"}) {
        enable(name, idle);
    }
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        findChild<QAction*>((QStringLiteral("Com%1").arg(n) + QLatin1Char('2')))->setEnabled(idle);
    }
    for (QAction* item : findChildren<QAction*>(QStringLiteral("device"))) {
        item->setEnabled(idle);
    }
    languageGroup_->setEnabled(idle);
    findChild<QAction*>(QStringLiteral("LoadIntEepromFile1"))->setVisible(shot.layout.avrKind);
    cardType_->setEnabled(idle);
    pages_->setEnabled(idle);
    const bool eeprom = shot.layout.eepromRowEnabled;
    for (const TRowWidgets* row : {&rows_[1], &rows_[3]}) {
        row->field->setEnabled(eeprom);
        row->open->setEnabled(eeprom);
        row->label->setEnabled(eeprom);
    }
    if (!eeprom) {
        rows_[1].view->setEnabled(false);
        rows_[3].view->setEnabled(false);
    }
    findChild<QAction*>(QStringLiteral("LoadEepromfile1"))->setEnabled(idle && eeprom);
    // The production window is where a run is stopped: open to it all along.
    const bool production = cardCommands || shot.productionRunning;
    findChild<QAction*>(QStringLiteral("Production1"))->setEnabled(production);
    productionButton_->setEnabled(production);
}

} // namespace korvex::gui
