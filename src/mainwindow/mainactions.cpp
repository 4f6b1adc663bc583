#include "mainwindow/mainactions.h"

#include "dialogs/captiontargets.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace korvex::gui {

namespace {

// A menu shows "&" as a hot key; a name is shown as it is.
QString Literal(const std::string& text) {
    return Q(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QMenu* NewMenu(const char* name, const QString& title, QWidget* parent) {
    return Named(new QMenu(title, parent), name);
}

} // namespace

QAction* TMainActions::NewAction(const char* name, const QString& text) {
    return Named(new QAction(text, owner_), name);
}

TMainActions::TMainActions(QWidget* owner) : QObject(owner), owner_(owner) {
    MakeActions();
    MakeMenus();
    ListDevices({}, TMainSnapshot{});
}

void TMainActions::MakeActions() {
    loadPic = NewAction("LoadPicFile1", QStringLiteral("&Load Pic File"));
    loadPic->setShortcut(QKeySequence::Open);
    loadIntEeprom = NewAction("LoadIntEepromFile1", QStringLiteral("Lo&ad Int Eeprom"));
    loadEeprom = NewAction("LoadEepromfile1", QStringLiteral("L&oad Eeprom File"));
    firmware = NewAction("GetFirmwareVersion1", QStringLiteral("Get &Firmware Version"));
    exit = NewAction("Exit1", QStringLiteral("E&xit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    readPic = NewAction("ReadPic1", QStringLiteral("&Read Pic"));
    writePic = NewAction("WritePic1", QStringLiteral("&Write Pic"));
    verifyPic = NewAction("VerifyPic1", QStringLiteral("&Verify Pic"));
    erasePic = NewAction("ErasePic1", QStringLiteral("&Erase Pic"));
    readEeprom = NewAction("ReadEeprom1", QStringLiteral("Re&ad Eeprom"));
    writeEeprom = NewAction("WriteEeprom1", QStringLiteral("Wr&ite Eeprom"));
    verifyEeprom = NewAction("VerifyEeprom1", QStringLiteral("Veri&fy Eeprom"));
    eraseEeprom = NewAction("EreaseEeprom1", QStringLiteral("Era&se Eeprom"));
    autoProgram = NewAction("AutoProgram1", QStringLiteral("A&uto Program"));
    autoProgram->setShortcut(QKeySequence(Qt::Key_F3));
    production = NewAction("Production1", QStringLiteral("&Production..."));
    production->setShortcut(QKeySequence(Qt::Key_F4));

    // One port is chosen at a time: Offline, an item, or (through its
    // item) a device.
    portGroup_ = new QActionGroup(this);
    offline = NewAction("Offline2", QStringLiteral("&Offline"));
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        const QByteArray name = "Com" + QByteArray::number(n) + "2";
        ports[static_cast<std::size_t>(n - 1)] =
            NewAction(name.constData(), QStringLiteral("Com &%1").arg(n));
    }
    speed19200 = NewAction("N9600baud1", QStringLiteral("19200 baud"));
    speed115200 = NewAction("N115200baud1", QStringLiteral("115200 baud"));
    speedGroup_ = new QActionGroup(this);
    for (QAction* speed : {speed19200, speed115200}) {
        speed->setCheckable(true);
        speedGroup_->addAction(speed);
    }
    addCardType = NewAction("AddCardType1", QStringLiteral("New Card Type"));
    editCardType = NewAction("EditCardType1", QStringLiteral("&Edit Selected Card Type"));
    deleteCardType = NewAction("DeleteCardType1", QStringLiteral("&Delete Selected Card Type"));
    options = NewAction("Options1", QStringLiteral("&Options"));
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    index = NewAction("Index1", QStringLiteral("&Index"));
    bugReport = NewAction("BugReport1", QStringLiteral("&Report A Bug"));
    about = NewAction("About1", QStringLiteral("&About"));

    picItem = NewAction("Pic1", QStringLiteral("Pic"));
    eepromItem = NewAction("Eeprom1", QStringLiteral("Eeprom"));
    writePicItem = NewAction("MenuItem1", QStringLiteral("Pic"));
    writeEepromItem = NewAction("MenuItem2", QStringLiteral("Eeprom"));
    autoItem = NewAction("Auto1", QStringLiteral("Auto"));

    spareOffline = NewAction("ComOffline", QStringLiteral("O&ffline"));
    for (int n = 1; n <= 4; ++n) {
        const QByteArray name = "ComPort" + QByteArray::number(n);
        sparePorts[static_cast<std::size_t>(n - 1)] =
            NewAction(name.constData(), QStringLiteral("Com &%1").arg(n));
        owner_->addAction(sparePorts[static_cast<std::size_t>(n - 1)]);
    }
    owner_->addAction(spareOffline);
}

void TMainActions::MakeMenus() {
    QWidget* owner = owner_;
    fileMenu = NewMenu("File1", QStringLiteral("&File"), owner);
    fileMenu->addActions({loadPic, loadIntEeprom, loadEeprom});
    fileMenu->addSeparator();
    fileMenu->addAction(firmware);
    fileMenu->addSeparator();
    fileMenu->addAction(exit);

    editMenu = NewMenu("Edit1", QStringLiteral("E&dit"), owner);
    editMenu->addActions({readPic, writePic, verifyPic, erasePic});
    editMenu->addSeparator();
    editMenu->addActions({readEeprom, writeEeprom, verifyEeprom, eraseEeprom});
    editMenu->addSeparator();
    editMenu->addActions({autoProgram, production});

    setupMenu = NewMenu("Com1", QStringLiteral("&Setup"), owner);
    portMenu = NewMenu("Port1", QStringLiteral("&Port"), setupMenu);
    speedMenu = NewMenu("Speed1", QStringLiteral("&Speed"), setupMenu);
    speedMenu->addActions(speedGroup_->actions());
    setupMenu->addMenu(portMenu);
    setupMenu->addMenu(speedMenu);
    setupMenu->addSeparator();
    setupMenu->addActions({addCardType, editCardType, deleteCardType});
    setupMenu->addSeparator();
    setupMenu->addAction(options);

    languageMenu = NewMenu("Language1", QStringLiteral("&Language"), owner);
    languageGroup_ = new QActionGroup(this);

    helpMenu = NewMenu("Help1", QStringLiteral("&Help"), owner);
    helpMenu->addActions({index, bugReport});
    helpMenu->addSeparator();
    helpMenu->addAction(about);

    popRead = NewMenu("popRead", QString(), owner);
    popRead->addActions({picItem, eepromItem});
    popWrite = NewMenu("popWrite", QString(), owner);
    popWrite->addActions({writePicItem, writeEepromItem, autoItem});
}

void TMainActions::FillMenuBar(QMenuBar& bar) const {
    for (QMenu* menu : {fileMenu, editMenu, setupMenu, languageMenu, helpMenu}) {
        bar.addMenu(menu);
    }
}

void TMainActions::AddCaptions(TCaptionTargets& captions) const {
    for (QObject* control : std::initializer_list<QObject*>{
             loadPic,        loadIntEeprom, loadEeprom, firmware,   exit,        readPic,
             writePic,       verifyPic,     erasePic,   readEeprom, writeEeprom, verifyEeprom,
             eraseEeprom,    autoProgram,   production, offline,    addCardType, editCardType,
             deleteCardType, options,       index,      bugReport,  about,       picItem,
             writePicItem,   fileMenu,      editMenu,   setupMenu,  portMenu,    speedMenu,
             languageMenu,   helpMenu}) {
        captions.Add(control);
    }
}

void TMainActions::ListDevices(const std::vector<std::string>& devices, const TMainSnapshot& shot) {
    for (QAction* old : devices_) {
        delete old;
    }
    devices_.clear();
    portMenu->clear();
    for (QAction* item : portGroup_->actions()) {
        portGroup_->removeAction(item);
    }
    // The items for the port choice and the items that name a device; only
    // the first kind is ever ticked, the device it opens named beside it.
    portMenu->addAction(offline);
    portMenu->addActions({ports.begin(), ports.end()});
    for (QAction* item : portMenu->actions()) {
        item->setCheckable(true);
        portGroup_->addAction(item);
    }
    portMenu->addSeparator();
    std::vector<std::string> targets = devices;
    targets.emplace_back(TPortMap::kSimulator);
    for (const std::string& path : targets) {
        const bool simulator = path == TPortMap::kSimulator;
        auto* item = NewAction("device", simulator ? QStringLiteral("Simulator") : Literal(path));
        item->setData(Q(path));
        connect(item, &QAction::triggered, this, [this, path] {
            if (onDevice) {
                onDevice(path);
            }
        });
        portMenu->addAction(item);
        devices_.push_back(item);
    }
    RenderPorts(shot);
}

void TMainActions::RenderPorts(const TMainSnapshot& shot) {
    offline->setChecked(shot.comPort == 0);
    for (int n = 1; n <= TPortMap::kPortCount; ++n) {
        QAction* item = ports[static_cast<std::size_t>(n - 1)];
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
}

void TMainActions::RenderLanguages(const TMainSnapshot& shot) {
    if (shot.languages != languagesShown_) {
        for (QAction* old : languageGroup_->actions()) {
            delete old;
        }
        for (const std::string& name : shot.languages) {
            auto* item = new QAction(Literal(name), languageGroup_);
            item->setObjectName(Q(name));
            item->setCheckable(true);
            connect(item, &QAction::triggered, this, [this, name] {
                if (onLanguage) {
                    onLanguage(name);
                }
            });
            languageMenu->addAction(item);
        }
        languagesShown_ = shot.languages;
    }
    for (QAction* item : languageGroup_->actions()) {
        item->setChecked(U(item->objectName()) == shot.language);
    }
}

void TMainActions::Render(const TMainSnapshot& shot) {
    RenderPorts(shot);
    RenderLanguages(shot);
    speed19200->setChecked(shot.speed == TBaudRate::br19200);
    speed115200->setChecked(shot.speed == TBaudRate::br115200);

    // Each card of a production run is a command of its own: between cards
    // the commands stay off all the same.
    const bool idle = !shot.commandRunning && !shot.productionRunning;
    const bool cardCommands = idle && shot.layout.cardCommandsEnabled;
    for (QAction* command :
         {readPic, writePic, verifyPic, erasePic, readEeprom, writeEeprom, verifyEeprom,
          eraseEeprom, autoProgram, picItem, eepromItem, writePicItem, writeEepromItem, autoItem}) {
        command->setEnabled(cardCommands);
    }
    editMenu->setEnabled(shot.layout.cardCommandsEnabled);
    for (QAction* change : {loadPic, loadIntEeprom, firmware, offline, speed19200, speed115200,
                            addCardType, editCardType, deleteCardType, options, spareOffline}) {
        change->setEnabled(idle);
    }
    for (QAction* change : ports) {
        change->setEnabled(idle);
    }
    for (QAction* change : sparePorts) {
        change->setEnabled(idle);
    }
    for (QAction* change : devices_) {
        change->setEnabled(idle);
    }
    languageGroup_->setEnabled(idle);
    loadIntEeprom->setVisible(shot.layout.avrKind);
    loadEeprom->setEnabled(idle && shot.layout.eepromRowEnabled);
    // The production window is where a run is stopped: open to it all along.
    production->setEnabled(cardCommands || shot.productionRunning);
}

} // namespace korvex::gui
