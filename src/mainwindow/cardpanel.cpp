#include "mainwindow/cardpanel.h"

#include "dialogs/captiontargets.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/filerowsview.h"
#include "mainwindow/fusepages.h"
#include "workflows/presenter/mainworkflows.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

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

TCardPanel::TCardPanel(TPMainWorkflows& work, QWidget* parent) : QWidget(parent), work_(work) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    cardTypeBox_ = Named(new QGroupBox(QStringLiteral("Cardtype :")), "grbCardType");
    auto* cardTypeLayout = new QVBoxLayout(cardTypeBox_);
    cardType_ = Named(new QComboBox, "cmpCardType");
    cardType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(cardType_, &QComboBox::activated, this, [this](int index) {
        work_.ChooseCardType(U(cardType_->itemText(index)));
        emit Changed();
    });
    description_ = Named(new QLabel, "lblDescription");
    description_->setWordWrap(true);
    description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cardTypeLayout->addWidget(cardType_);
    cardTypeLayout->addWidget(description_);
    column->addWidget(cardTypeBox_);

    cardProp_ = Named(new QGroupBox(QStringLiteral("Card properties")), "grpCardProp");
    auto* propLayout = new QVBoxLayout(cardProp_);
    pages_ = Named(new QTabWidget, "pgcMain");
    rows_ = new TFileRowsView(work_);
    connect(rows_, &TFileRowsView::OpenAsked, this, &TCardPanel::OpenFileAsked);
    connect(rows_, &TFileRowsView::Changed, this, &TCardPanel::Changed);
    fuses_ = new TFusePages(work_, this);
    connect(fuses_, &TFusePages::Changed, this, &TCardPanel::Changed);
    for (QWidget* page :
         {static_cast<QWidget*>(rows_), fuses_->Advanced(), fuses_->Lock(), fuses_->Fuses()}) {
        pages_->addTab(page, QString());
    }
    propLayout->addWidget(pages_);

    logPicture_ = Named(new QLabel, "Image1");
    logPicture_->setPixmap(LogPicture());
    logPicture_->setFixedSize(16, 20);
    logPicture_->installEventFilter(this);
    // The production command sits at the other end of the picture's line.
    production_ = Named(new QToolButton, "btnProduction");
    production_->setIcon(ProductionPicture());
    production_->setIconSize({16, 16});
    production_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    production_->setAutoRaise(true);
    connect(production_, &QToolButton::clicked, this, &TCardPanel::ProductionAsked);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(logPicture_, 0, Qt::AlignLeft | Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addWidget(production_);
    propLayout->addLayout(bottom);
    column->addWidget(cardProp_, 1);

    column->addWidget(BuildButtons());
}

QWidget* TCardPanel::BuildButtons() {
    auto* bar = new QWidget;
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 4, 0, 0);
    struct TButtonNames {
        const char* name;
        const char* text;
        QStyle::StandardPixmap icon;
        TBigButton button;
    };
    static constexpr TButtonNames kButtons[] = {
        {"btnRead", "Read", QStyle::SP_ArrowDown, TBigButton::bbRead},
        {"btnWrite", "Write", QStyle::SP_ArrowUp, TBigButton::bbWrite},
        {"btnVerify", "Verify", QStyle::SP_DialogApplyButton, TBigButton::bbVerify},
        {"btnErase", "Erase", QStyle::SP_TrashIcon, TBigButton::bbErase},
    };
    std::size_t index = 0;
    for (const TButtonNames& names : kButtons) {
        auto* button = Named(new QPushButton(QString::fromLatin1(names.text)), names.name);
        button->setIcon(style()->standardIcon(names.icon));
        button->setIconSize({20, 20});
        button->setMinimumHeight(38);
        const TBigButton which = names.button;
        connect(button, &QPushButton::clicked, this,
                [this, which] { emit BigButtonPressed(which); });
        // A right click opens the menu without changing what its items do.
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QPushButton::customContextMenuRequested, this,
                [this, button, which](const QPoint& at) {
                    emit BigButtonMenuAsked(which, button->mapToGlobal(at));
                });
        layout->addWidget(button);
        buttons_[index++] = button;
    }
    return bar;
}

void TCardPanel::AddCaptions(TCaptionTargets& captions) {
    captions.Add(cardTypeBox_);
    captions.Add(cardProp_);
    captions.AddTab(pages_, rows_);
    captions.AddTab(pages_, fuses_->Advanced());
    captions.AddTab(pages_, fuses_->Lock());
    captions.AddTab(pages_, fuses_->Fuses());
    captions.Add(production_);
    captions.AddTip(production_);
    captions.AddTip(logPicture_);
    for (QPushButton* button : buttons_) {
        captions.Add(button);
    }
    rows_->AddCaptions(captions);
    fuses_->AddCaptions(captions);
}

void TCardPanel::Render(const TMainSnapshot& shot, bool idle) {
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
    const TCardLayout& layout = shot.layout;
    pages_->setTabVisible(pages_->indexOf(fuses_->Advanced()), !layout.avrKind);
    pages_->setTabVisible(pages_->indexOf(fuses_->Lock()), layout.avrKind);
    pages_->setTabVisible(pages_->indexOf(fuses_->Fuses()), layout.showFuses);
    rows_->Render(shot, idle);
    fuses_->Render(shot);

    const bool cardCommands = idle && layout.cardCommandsEnabled;
    cardType_->setEnabled(idle);
    cardProp_->setEnabled(layout.cardCommandsEnabled);
    pages_->setEnabled(idle);
    for (QPushButton* button : buttons_) {
        button->setEnabled(cardCommands);
    }
    // The production window is where a run is stopped: open to it all along.
    production_->setEnabled(cardCommands || shot.productionRunning);
}

bool TCardPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == logPicture_ && event->type() == QEvent::MouseButtonDblClick) {
        emit LogPanelAsked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvex::gui
