// The menus, the pop-up menus of the big buttons and the actions behind them.
#include "dialogs/qtext.h"
#include "link/portmap.h"
#include "mainwindow/mainwindow.h"
#include "workflows/mainworkflows.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace korvex::gui {

QAction* Tfrmmain::NewAction(const char* name, const QString& text, std::function<void()> handler) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, handler = std::move(handler)] { Handle(handler); });
    return action;
}

void Tfrmmain::BuildActions() {
    using C = TCardCommand;
    const auto command = [this](C c) { return [this, c] { RunCommand(c); }; };

    auto* loadPic = NewAction("LoadPicFile1", QStringLiteral("&Load Pic File"),
                              [this] { OpenRowFile(TFileRow::frProgram); });
    loadPic->setShortcut(QKeySequence::Open);
    NewAction("LoadIntEepromFile1", QStringLiteral("Lo&ad Int Eeprom"),
              [this] { OpenRowFile(TFileRow::frIntEeprom); });
    NewAction("LoadEepromfile1", QStringLiteral("L&oad Eeprom File"),
              [this] { OpenRowFile(TFileRow::frEeprom); });
    NewAction("GetFirmwareVersion1", QStringLiteral("Get &Firmware Version"),
              command(C::ccFirmwareVersion));
    auto* exit = NewAction("Exit1", QStringLiteral("E&xit"), [this] { close(); });
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    NewAction("ReadPic1", QStringLiteral("&Read Pic"), command(C::ccReadPic));
    NewAction("WritePic1", QStringLiteral("&Write Pic"), command(C::ccWritePic));
    NewAction("VerifyPic1", QStringLiteral("&Verify Pic"), command(C::ccVerifyPic));
    NewAction("ErasePic1", QStringLiteral("&Erase Pic"), command(C::ccErasePic));
    NewAction("ReadEeprom1", QStringLiteral("Re&ad Eeprom"), command(C::ccReadEeprom));
    NewAction("WriteEeprom1", QStringLiteral("Wr&ite Eeprom"), command(C::ccWriteEeprom));
    NewAction("VerifyEeprom1", QStringLiteral("Veri&fy Eeprom"), command(C::ccVerifyEeprom));
    NewAction("EreaseEeprom1", QStringLiteral("Erea&se Eeprom"), command(C::ccEraseEeprom));
    auto* autoProgram =
        NewAction("AutoProgram1", QStringLiteral("A&uto Program"), command(C::ccAutoProgram));
    autoProgram->setShortcut(QKeySequence(Qt::Key_F3));
    auto* production =
        NewAction("Production1", QStringLiteral("&Production..."), [this] { ShowProduction(); });
    production->setShortcut(QKeySequence(Qt::Key_F4));

    NewAction("Offline2", QStringLiteral("&Offline"), [this] { work_.ChooseOffline(); });
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        const QByteArray name = "Com" + QByteArray::number(n) + "2";
        NewAction(name.constData(), QStringLiteral("Com &%1").arg(n),
                  [this, n] { work_.ChoosePort(n); });
    }
    NewAction("N9600baud1", QStringLiteral("19200 baud"),
              [this] { work_.ChooseSpeed(TBaudRate::br19200); });
    NewAction("N115200baud1", QStringLiteral("115200 baud"),
              [this] { work_.ChooseSpeed(TBaudRate::br115200); });
    NewAction("AddCardType1", QStringLiteral("New Card Type"), [this] { AddCardType(); });
    NewAction("EditCardType1", QStringLiteral("&Edit Selected Card Type"),
              [this] { EditCardType(); });
    NewAction("DeleteCardType1", QStringLiteral("&Delete Selected Card Type"),
              [this] { work_.DeleteCardType(); });
    auto* options = NewAction("Options1", QStringLiteral("&Options"), [this] { ShowOptions(); });
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    NewAction("Index1", QStringLiteral("&Index"), [this] { work_.OpenHelp(); });
    NewAction("BugReport1", QStringLiteral("&Report A Bug"), [this] { work_.OpenBugReport(); });
    NewAction("About1", QStringLiteral("&About"), [this] { ShowAbout(); });

    NewAction("Pic1", QStringLiteral("Pic"), [this] { work_.PicItemClick(); });
    NewAction("Eeprom1", QStringLiteral("Eeprom"), [this] { work_.EepromItemClick(); });
    NewAction("MenuItem1", QStringLiteral("Pic"), [this] { work_.WritePicItemClick(); });
    NewAction("MenuItem2", QStringLiteral("Eeprom"), [this] { work_.WriteEepromItemClick(); });
    NewAction("Auto1", QStringLiteral("Auto"), [this] { work_.AutoItemClick(); });

    // Spare port actions that no menu shows; kept for keyboard users' macros.
    NewAction("ComOffline", QStringLiteral("O&ffline"), [this] { work_.ComPortAction(0); });
    for (int n = 1; n <= 4; ++n) {
        const QByteArray name = "ComPort" + QByteArray::number(n);
        addAction(NewAction(name.constData(), QStringLiteral("Com &%1").arg(n),
                            [this, n] { work_.ComPortAction(n); }));
    }
    addAction(findChild<QAction*>(QStringLiteral("ComOffline")));

    for (const char* name : {"Offline2", "N9600baud1", "N115200baud1"}) {
        findChild<QAction*>(QString::fromLatin1(name))->setCheckable(true);
    }
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        findChild<QAction*>((QStringLiteral("Com%1").arg(n) + QLatin1Char('2')))
            ->setCheckable(true);
    }
}

void Tfrmmain::BuildMenus() {
    const auto action = [this](const char* name) {
        return findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    const auto menu = [this](const char* name, const QString& title, QWidget* parent) {
        auto* m = new QMenu(title, parent);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    fileMenu_ = menu("File1", QStringLiteral("&File"), this);
    fileMenu_->addActions(
        {action("LoadPicFile1"), action("LoadIntEepromFile1"), action("LoadEepromfile1")});
    fileMenu_->addSeparator();
    fileMenu_->addAction(action("GetFirmwareVersion1"));
    fileMenu_->addSeparator();
    fileMenu_->addAction(action("Exit1"));

    editMenu_ = menu("Edit1", QStringLiteral("E&dit"), this);
    editMenu_->addActions(
        {action("ReadPic1"), action("WritePic1"), action("VerifyPic1"), action("ErasePic1")});
    editMenu_->addSeparator();
    editMenu_->addActions({action("ReadEeprom1"), action("WriteEeprom1"), action("VerifyEeprom1"),
                           action("EreaseEeprom1")});
    editMenu_->addSeparator();
    editMenu_->addAction(action("AutoProgram1"));
    editMenu_->addAction(action("Production1"));

    setupMenu_ = menu("Com1", QStringLiteral("&Setup"), this);
    portMenu_ = menu("Port1", QStringLiteral("&Port"), setupMenu_);
    // The machine's devices change while the program runs: listed afresh
    // each time the menu opens.
    connect(portMenu_, &QMenu::aboutToShow, this, &Tfrmmain::RefreshPortMenu);
    speedMenu_ = menu("Speed1", QStringLiteral("Speed"), setupMenu_);
    auto* speeds = new QActionGroup(this);
    speeds->addAction(action("N9600baud1"));
    speeds->addAction(action("N115200baud1"));
    speedMenu_->addActions(speeds->actions());
    setupMenu_->addMenu(portMenu_);
    setupMenu_->addMenu(speedMenu_);
    setupMenu_->addSeparator();
    setupMenu_->addActions(
        {action("AddCardType1"), action("EditCardType1"), action("DeleteCardType1")});
    setupMenu_->addSeparator();
    setupMenu_->addAction(action("Options1"));

    languageMenu_ = menu("Language1", QStringLiteral("&Language"), this);
    languageGroup_ = new QActionGroup(this);

    helpMenu_ = menu("Help1", QStringLiteral("&Help"), this);
    helpMenu_->addActions({action("Index1"), action("BugReport1")});
    helpMenu_->addSeparator();
    helpMenu_->addAction(action("About1"));

    for (QMenu* m : {fileMenu_, editMenu_, setupMenu_, languageMenu_, helpMenu_}) {
        menuBar()->addMenu(m);
    }

    popRead_ = menu("popRead", QString(), this);
    popRead_->addActions({action("Pic1"), action("Eeprom1")});
    popWrite_ = menu("popWrite", QString(), this);
    popWrite_->addActions({action("MenuItem1"), action("MenuItem2"), action("Auto1")});

    portGroup_ = new QActionGroup(this);
    portGroup_->setExclusive(false);
}

void Tfrmmain::RefreshPortMenu() {
    const TMainSnapshot shot = work_.Snapshot();
    const std::vector<std::string> devices =
        deviceLister_ ? deviceLister_() : std::vector<std::string>{};
    portMenu_->clear();
    for (QAction* old : portGroup_->actions()) {
        portGroup_->removeAction(old);
    }
    const auto add = [this](QAction* item) {
        portGroup_->addAction(item);
        portMenu_->addAction(item);
    };
    add(findChild<QAction*>(QStringLiteral("Offline2")));
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        add(findChild<QAction*>((QStringLiteral("Com%1").arg(n) + QLatin1Char('2'))));
    }

    // Every device there is now, and the built-in programmer, by name; the
    // items made for the last opening go.
    for (QAction* old : findChildren<QAction*>(QStringLiteral("device"))) {
        delete old;
    }
    portMenu_->addSeparator();
    std::vector<std::string> targets = devices;
    targets.emplace_back(TPortMap::kSimulator);
    for (const std::string& path : targets) {
        const bool simulator = path == TPortMap::kSimulator;
        auto* item = new QAction(simulator ? QStringLiteral("Simulator") : Q(path), this);
        item->setObjectName(QStringLiteral("device"));
        item->setData(Q(path));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this,
                [this, path] { Handle([this, path] { work_.ChooseDevice(path); }); });
        add(item);
    }
    RenderChoices(shot);
}

} // namespace korvex::gui
