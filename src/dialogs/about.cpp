#include "dialogs/about.h"

#include "dialogs/captiontargets.h"
#include "dialogs/qtext.h"
#include "workflows/entries.h"
#include "workflows/presenter/captions.h"
#include "workflows/presenter/mainworkflows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

namespace korvex::gui {

namespace {

// Room around the title, so the box does not look squeezed.
constexpr int kTitleChars = 40;

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// A link whose target the workflows resolve; the label only shows the way.
QLabel* Link(const char* name, const QString& caption, const QString& target, QWidget* parent) {
    auto* link = NamedLabel(
        name, QStringLiteral("<a href=\"#\">%1</a>").arg(caption.toHtmlEscaped()), parent);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setToolTip(target);
    return link;
}

} // namespace

TfrmAbout::TfrmAbout(TPMainWorkflows& work, std::optional<int> firmwareVersion, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(WithoutMnemonic(Q(work.Text(entries::kAboutMenu))));

    QLabel* title = NamedLabel("lblTitle", Q(TPMainWorkflows::kTitle), this);
    title->setMinimumWidth(title->fontMetrics().averageCharWidth() * kTitleChars);
    title->setAlignment(Qt::AlignCenter);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);

    const QString firmware =
        firmwareVersion ? QString::number(*firmwareVersion) : Q(work.Text(entries::kNotConnected));
    TCaptionTargets captions(*this);
    auto* versions = new QFormLayout;
    QLabel* lblFirmware = NamedLabel("lblFirmware", QString(), this);
    QLabel* lblSoftware = NamedLabel("lblWindowssoft", QString(), this);
    captions.Add(lblFirmware);
    captions.Add(lblSoftware);
    versions->addRow(lblFirmware, NamedLabel("lblFirmwareVersion", firmware, this));
    versions->addRow(lblSoftware,
                     NamedLabel("lblSoftwareVersion", QStringLiteral(KORVEX_VERSION), this));

    QLabel* help = Link("lblHelp", WithoutMnemonic(Q(work.Text(entries::kHelpMenu))),
                        Q(work.Text(entries::kHelpDocument)), this);
    connect(help, &QLabel::linkActivated, this, [&work] { work.OpenHelp(); });
    QLabel* bugReport = Link("lblBugReport", WithoutMnemonic(Q(work.Text(entries::kBugReportMenu))),
                             Q(work.Text(entries::kBugReportAddress)), this);
    connect(bugReport, &QLabel::linkActivated, this, [&work] { work.OpenBugReport(); });

    auto* btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* links = new QHBoxLayout;
    links->addWidget(help);
    links->addStretch();
    links->addWidget(bugReport);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(layout->spacing() * 2);
    layout->addWidget(title);
    layout->addLayout(versions);
    layout->addWidget(
        NamedLabel("lblQtVersion", QStringLiteral("Qt ") + QString::fromLatin1(qVersion()), this));
    layout->addLayout(links);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& caption : TMainCaptions::About()) {
        captions.Set(caption.control, Q(work.Text(caption.entry)));
    }
}

} // namespace korvex::gui
