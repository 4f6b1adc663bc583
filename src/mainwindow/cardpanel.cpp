// The card type selector, the card properties group with its tabs and file
// rows, and the big buttons.
#include "dialogs/qtext.h"
#include "mainwindow/mainwindow.h"
#include "workflows/mainworkflows.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex::gui {

namespace {

// Where a row's controls stand on the Simple tab; the rows below the first
// move when the internal EEPROM row comes and goes.
constexpr int kLabelLeft = 6;
constexpr int kButtonWidth = 24;
constexpr int kMinimumLabelWidth = 80;
constexpr int kMinimumStatusWidth = 60;
constexpr int kMinimumFieldWidth = 120;
constexpr int kRowHeight = 23;
constexpr int kFirstRowTop = 11;
constexpr int kLabelDrop = 3;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The small picture at the lower left of the card properties group: a
// double click shows the log panel.
QPixmap LogPicture() {
    QPixmap picture(16, 20);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(0, 0, 128));
    painter.setBrush(QColor(255, 255, 224));
    painter.drawRect(1, 1, 13, 17);
    for (int y = 5; y < 17; y += 3) {
        painter.drawLine(4, y, 11, y);
    }
    return picture;
}

// The production command's picture: a stack of cards, one after another.
QIcon ProductionPicture() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0, 0, 128));
    for (int i = 2; i >= 0; --i) {
        painter.setBrush(i == 0 ? QColor(255, 215, 0) : QColor(255, 255, 224));
        painter.drawRoundedRect(QRectF(0.5 + 2 * i, 6.5 - 2 * i, 11, 8), 1.5, 1.5);
    }
    // The contacts of the front card.
    painter.fillRect(QRectF(2.5, 9.5, 3, 3), QColor(184, 134, 11));
    return QIcon(picture);
}

} // namespace

QWidget* Tfrmmain::BuildCardPanel() {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 8, 8, 4);

    auto* cardTypeBox = Named(new QGroupBox(QStringLiteral("Cardtype :")), "grbCardType");
    auto* cardTypeLayout = new QVBoxLayout(cardTypeBox);
    cardType_ = Named(new QComboBox, "cmpCardType");
    cardType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(cardType_, &QComboBox::activated, this, [this](int index) {
        const std::string name = U(cardType_->itemText(index));
        Handle([this, name] { work_.ChooseCardType(name); });
    });
    description_ = Named(new QLabel, "lblDescription");
    description_->setWordWrap(true);
    description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cardTypeLayout->addWidget(cardType_);
    cardTypeLayout->addWidget(description_);
    column->addWidget(cardTypeBox);

    cardProp_ = Named(new QGroupBox(QStringLiteral("Card properties")), "grpCardProp");
    auto* propLayout = new QVBoxLayout(cardProp_);
    pages_ = Named(new QTabWidget, "pgcMain");
    tbsSimple_ = BuildFileRows();
    tbsAdvanced_ = BuildAdvancedTab();
    tbsLock_ = BuildLockTab();
    tbsFuses_ = Named(new QWidget, "tbsFuses");
    pages_->addTab(tbsSimple_, QStringLiteral("Simple"));
    pages_->addTab(tbsAdvanced_, QStringLiteral("Advanced"));
    pages_->addTab(tbsLock_, QStringLiteral("Lock"));
    pages_->addTab(tbsFuses_, QStringLiteral("Fuses"));
    propLayout->addWidget(pages_);
    image1_ = Named(new QLabel, "Image1");
    image1_->setPixmap(LogPicture());
    image1_->setFixedSize(16, 20);
    image1_->setToolTip(QStringLiteral("Double-click to show or hide the log"));
    image1_->installEventFilter(this);
    // The production command sits at the other end of the picture's line.
    productionButton_ = Named(new QToolButton, "btnProduction");
    productionButton_->setText(QStringLiteral("Production"));
    productionButton_->setIcon(ProductionPicture());
    productionButton_->setIconSize({16, 16});
    productionButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    productionButton_->setAutoRaise(true);
    // No taller than the picture, so the window keeps its height.
    productionButton_->setFixedHeight(image1_->height());
    productionButton_->setToolTip(QStringLiteral("Program card after card (F4)"));
    connect(productionButton_, &QToolButton::clicked, this,
            [this] { Handle([this] { ShowProduction(); }); });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(image1_, 0, Qt::AlignLeft | Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addWidget(productionButton_);
    propLayout->addLayout(bottom);
    column->addWidget(cardProp_);

    column->addWidget(BuildButtons());
    column->addStretch(1);
    return panel;
}

QWidget* Tfrmmain::BuildFileRows() {
    auto* page = Named(new QWidget, "tbsSimple");
    struct TRowNames {
        TFileRow row;
        const char* label;
        const char* labelText;
        const char* field;
        const char* open;
        const char* view;
        const char* status;
    };
    static constexpr TRowNames kRows[] = {
        {TFileRow::frProgram, "lblPicCaption", "File to Pic :", "flePicfile", "BitBtn1",
         "btnViewPic", "edtPicStatus"},
        {TFileRow::frEeprom, "lblEeprom", "File to Eeprom :", "fleEeprom", "btnOpenEe",
         "btnViewEeprom", "edtEestatus"},
        {TFileRow::frIntEeprom, "lblIntEe", "File to Int Ee. :", "fleIntEe", "btnOpenIntEe",
         "btnViewIntEe", "edtIneEeStatus"},
        {TFileRow::frLoader, "lblLoader", "Loader :", "fleLoader", "btnOpenLoader", "btnViewLoader",
         "edtLoaderStatus"},
    };
    for (const TRowNames& names : kRows) {
        TRowWidgets& row = rows_[static_cast<std::size_t>(names.row)];
        row.label = Named(new QLabel(QString::fromLatin1(names.labelText), page), names.label);
        row.field = Named(new QLineEdit(page), names.field);
        row.field->setAcceptDrops(true);
        row.field->installEventFilter(this);
        row.field->setToolTip(QStringLiteral("Type a file name or drop a file here"));
        row.open = Named(new QToolButton(page), names.open);
        row.open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
        row.open->setToolTip(QStringLiteral("Choose a file"));
        row.view = Named(new QToolButton(page), names.view);
        row.view->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
        row.view->setToolTip(QStringLiteral("Show the file as the card would get it"));
        row.status = Named(new QLineEdit(page), names.status);
        row.status->setReadOnly(true);
        row.status->setFocusPolicy(Qt::NoFocus);
        row.status->setAlignment(Qt::AlignCenter);

        const TFileRow which = names.row;
        connect(row.field, &QLineEdit::textEdited, this, [this, which](const QString& text) {
            Handle([&] { work_.SetFileField(which, U(text)); });
        });
        connect(row.open, &QToolButton::clicked, this,
                [this, which] { Handle([this, which] { OpenRowFile(which); }); });
        connect(row.view, &QToolButton::clicked, this, [this, which] { ViewRow(which); });
    }
    // The loader row is set by the card type; a user never needs to see it.
    for (QWidget* widget :
         {static_cast<QWidget*>(rows_[3].label), static_cast<QWidget*>(rows_[3].field),
          static_cast<QWidget*>(rows_[3].open), static_cast<QWidget*>(rows_[3].view),
          static_cast<QWidget*>(rows_[3].status)}) {
        widget->hide();
    }
    page->setMinimumHeight(kFirstRowTop + 3 * 29 + kRowHeight);
    page->installEventFilter(this);
    return page;
}

// Puts a row at `top` (its label a little lower, to sit on the field's text
// line); the label and status take the width their texts need, the field
// the rest.
static void PlaceRow(const int (&widths)[3], QLabel* label, QLineEdit* field, QToolButton* open,
                     QToolButton* view, QLineEdit* status, int top) {
    const auto [labelWidth, fieldWidth, statusWidth] = widths;
    label->setGeometry(kLabelLeft, top + kLabelDrop, labelWidth, kRowHeight - kLabelDrop);
    int left = kLabelLeft + labelWidth + 2;
    field->setGeometry(left, top, fieldWidth, kRowHeight);
    left += fieldWidth + 2;
    open->setGeometry(left, top, kButtonWidth, kRowHeight);
    left += kButtonWidth + 2;
    view->setGeometry(left, top, kButtonWidth, kRowHeight);
    left += kButtonWidth + 4;
    status->setGeometry(left, top, statusWidth, kRowHeight);
}

QWidget* Tfrmmain::BuildAdvancedTab() {
    auto* page = Named(new QWidget, "tbsAdvanced");
    auto* grid = new QGridLayout(page);
    const QStringList onOff{QStringLiteral("Enabled"), QStringLiteral("Disabled")};
    auto* watchDog = new QGroupBox(QStringLiteral("Watchdog"));
    auto* powerUp = new QGroupBox(QStringLiteral("Power Up"));
    auto* protection = new QGroupBox(QStringLiteral("Protection"));
    auto* oscillator = new QGroupBox(QStringLiteral("Oscillator"));
    watchDog_ = NewRadioGroup(watchDog, "rdgWatchDog", onOff, TFuse::fuWatchDog);
    powerUp_ = NewRadioGroup(powerUp, "rdgPowerUp", onOff, TFuse::fuPowerUp);
    protection_ = NewRadioGroup(protection, "rdgProtection", onOff, TFuse::fuProtection);
    oscillator_ = NewRadioGroup(
        oscillator, "rdgOscil",
        {QStringLiteral("LP"), QStringLiteral("XT"), QStringLiteral("HS"), QStringLiteral("RC")},
        TFuse::fuOscillator);
    grid->addWidget(watchDog, 0, 0);
    grid->addWidget(powerUp, 0, 1);
    grid->addWidget(protection, 1, 0);
    grid->addWidget(oscillator, 0, 2, 2, 1);

    // A user id field the programmer has no command for: kept out of sight.
    auto* userId = Named(new QGroupBox(QStringLiteral("UserId"), page), "grbUserId");
    Named(new QLineEdit(userId), "edtUserId");
    userId->hide();
    return page;
}

QWidget* Tfrmmain::BuildLockTab() {
    auto* page = Named(new QWidget, "tbsLock");
    auto* layout = new QHBoxLayout(page);
    auto* lock = new QGroupBox(QStringLiteral("Lock"));
    lock_ = NewRadioGroup(lock, "rdgLock", {QStringLiteral("Enabled"), QStringLiteral("Disabled")},
                          TFuse::fuLock);
    layout->addWidget(lock, 0, Qt::AlignTop);
    layout->addStretch(1);
    // Auto program and Write Pic lock the card as the Lock choice says; the
    // button itself is never offered.
    lockButton_ = Named(new QPushButton(QStringLiteral("Lock card"), page), "btnLock");
    lockButton_->hide();
    connect(lockButton_, &QPushButton::clicked, this,
            [this] { RunCommand(TCardCommand::ccLockCard); });
    return page;
}

QButtonGroup* Tfrmmain::NewRadioGroup(QGroupBox* box, const char* name, const QStringList& items,
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
    connect(group, &QButtonGroup::idClicked, this,
            [this, fuse](int id) { Handle([&] { work_.SetFuse(fuse, id); }); });
    return group;
}

QWidget* Tfrmmain::BuildButtons() {
    auto* bar = new QWidget;
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 4, 0, 0);
    struct TButtonNames {
        const char* name;
        const char* text;
        QStyle::StandardPixmap icon;
        TBigButton button;
        bool writeMenu;
    };
    static constexpr TButtonNames kButtons[] = {
        {"btnRead", "Read", QStyle::SP_ArrowDown, TBigButton::bbRead, false},
        {"btnWrite", "Write", QStyle::SP_ArrowUp, TBigButton::bbWrite, true},
        {"btnVerify", "Verify", QStyle::SP_DialogApplyButton, TBigButton::bbVerify, false},
        {"btnErase", "Erase", QStyle::SP_TrashIcon, TBigButton::bbErase, false},
    };
    std::size_t index = 0;
    for (const TButtonNames& names : kButtons) {
        auto* button = Named(new QPushButton(QString::fromLatin1(names.text)), names.name);
        button->setIcon(style()->standardIcon(names.icon));
        button->setIconSize({20, 20});
        button->setMinimumHeight(38);
        const TBigButton which = names.button;
        const bool writeMenu = names.writeMenu;
        connect(button, &QPushButton::clicked, this, [this, which, writeMenu] {
            PressBigButton(which, writeMenu ? popWrite_ : popRead_);
        });
        // A right click opens the menu without changing what its items do.
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QPushButton::customContextMenuRequested, this,
                [this, button, writeMenu](const QPoint& at) {
                    (writeMenu ? popWrite_ : popRead_)->exec(button->mapToGlobal(at));
                });
        layout->addWidget(button);
        bigButtons_[index++] = button;
    }
    return bar;
}

void Tfrmmain::RenderLayout(const TMainSnapshot& shot) {
    const TCardLayout& layout = shot.layout;
    avrLayout_ = layout.avrKind;
    PlaceRows();
    const auto& intEe = rows_[2];
    for (QWidget* widget : {static_cast<QWidget*>(intEe.label), static_cast<QWidget*>(intEe.field),
                            static_cast<QWidget*>(intEe.open), static_cast<QWidget*>(intEe.view),
                            static_cast<QWidget*>(intEe.status)}) {
        widget->setVisible(layout.avrKind);
    }
    pages_->setTabVisible(pages_->indexOf(tbsAdvanced_), !layout.avrKind);
    pages_->setTabVisible(pages_->indexOf(tbsLock_), layout.avrKind);
    pages_->setTabVisible(pages_->indexOf(tbsFuses_), layout.showFuses);
}

void Tfrmmain::PlaceRows() {
    // Languages word the labels and states at different lengths.
    const QFontMetrics metrics(font());
    int labelWidth = kMinimumLabelWidth;
    int statusWidth = kMinimumStatusWidth;
    for (const TRowWidgets& row : rows_) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(row.label->text()) + 6);
        statusWidth = std::max(statusWidth, metrics.horizontalAdvance(row.status->text()) + 14);
    }
    const int pageWidth = tbsSimple_->width() > 200 ? tbsSimple_->width() : kNormalWidth - 40;
    const int fixed = kLabelLeft + 2 + 2 + kButtonWidth + 2 + kButtonWidth + 4 + kLabelLeft;
    int fieldWidth = pageWidth - fixed - labelWidth - statusWidth;
    if (fieldWidth < kMinimumFieldWidth) {
        // Too long to fit whole: the label and the status give way alike.
        const int lack = kMinimumFieldWidth - fieldWidth;
        labelWidth -= lack / 2;
        statusWidth -= lack - lack / 2;
        fieldWidth = kMinimumFieldWidth;
    }
    const int widths[3] = {labelWidth, fieldWidth, statusWidth};
    const auto place = [&](const TRowWidgets& row, int top) {
        PlaceRow(widths, row.label, row.field, row.open, row.view, row.status, top);
    };
    place(rows_[0], kFirstRowTop);
    place(rows_[2], 40);
    place(rows_[1], avrLayout_ ? 69 : 40);
    place(rows_[3], avrLayout_ ? 98 : 69);
}

} // namespace korvex::gui
