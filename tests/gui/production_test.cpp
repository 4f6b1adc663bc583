// The production window over the in-process simulated programmer: the main
// window opens it, its button runs the line, and it shows what the run
// reports. The run's rules are the workflows' and are tested there.
#include "gui/windowrig.h"
#include "link/portmap.h"
#include "mainwindow/production/productionwindow.h"
#include "sim/simfeedplan.h"
#include "support/readfile.h"
#include "workflows/charts/chartboard.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/productionrecord.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>

using namespace korvex;
using namespace korvex::testing;

namespace {

QString Entry(TWindowRig& rig, int entry) {
    return gui::Q(rig.work().Text(entry));
}

gui::TfrmProduction* ProductionWindow(TWindowRig& rig) {
    return rig.Window().findChild<gui::TfrmProduction*>(QStringLiteral("frmProduction"));
}

template <typename T = QWidget>
T* Part(gui::TfrmProduction* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

gui::TfrmProduction* OpenProduction(TWindowRig& rig) {
    rig.Action("Production1")->trigger();
    gui::TfrmProduction* window = ProductionWindow(rig);
    if (window != nullptr && !QTest::qWaitForWindowExposed(window)) {
        return nullptr;
    }
    return window;
}

void ChooseSamples(TWindowRig& rig, bool eeprom) {
    QCOMPARE(rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex")),
             TIntentResult::irDone);
    if (eeprom) {
        QCOMPARE(rig.work().SetFileField(TFileRow::frEeprom, rig.Sample("sample24c16.hex")),
                 TIntentResult::irDone);
    }
    rig.prompts.Clear();
    rig.device.ClearFrames();
}

// Calls `step` from the event loop every 20 ms while it is running, so a
// test can act while a click waits in a run.
class TEveryTurn final {
public:
    explicit TEveryTurn(std::function<void()> step) : step_(std::move(step)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { step_(); });
        timer_.start();
    }

private:
    std::function<void()> step_;
    QTimer timer_;
};

// Ends a run that a test could not end within a minute, so a run that never
// stops fails the test instead of hanging it.
class TRunDeadline final {
public:
    explicit TRunDeadline(TPMainWorkflows& work) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this, &work] {
            expired = work.ProductionRunning();
            work.StopProduction();
        });
        timer_.start(60'000);
    }
    bool expired = false;

private:
    QTimer timer_;
};

// A card written with wire time on the faster line: long enough for a test to
// act while it is written, without the seconds of the slower one.
constexpr TBaudRate kFastLine = TBaudRate::br115200;

bool AllAre(const std::vector<bool>& values, bool value) {
    return !values.empty() &&
           std::all_of(values.begin(), values.end(), [value](bool each) { return each == value; });
}

std::vector<std::string> RecordLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    const std::string text = ReadFileIfExists(file).value_or("");
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

// A record of station "bench" with known numbers: at 09:00 three good cards
// (one ran a step again) and one failed; at 11:00 three good, two failed and
// one interrupted.
void WriteKnownRecord(const std::filesystem::path& file) {
    TPProductionRecord record(file);
    const struct {
        const char* time;
        const char* outcome;
        const char* step;
        int retries;
    } cards[] = {
        {"2026-12-07T09:01:00+00:00", "good", "", 0},
        {"2026-12-07T09:02:00+00:00", "good", "", 1},
        {"2026-12-07T09:03:00+00:00", "good", "", 0},
        {"2026-12-07T09:04:00+00:00", "failed", "eeprom verify", 0},
        {"2026-12-07T11:01:00+00:00", "good", "", 0},
        {"2026-12-07T11:02:00+00:00", "failed", "processor write", 0},
        {"2026-12-07T11:03:00+00:00", "good", "", 0},
        {"2026-12-07T11:04:00+00:00", "failed", "eeprom verify", 0},
        {"2026-12-07T11:05:00+00:00", "interrupted", "", 0},
        {"2026-12-07T11:06:00+00:00", "good", "", 0},
    };
    for (const auto& card : cards) {
        TProductionRow row;
        row.localTime = card.time;
        row.cardType = "C";
        row.outcome = card.outcome;
        row.failingStep = card.step;
        row.retries = card.retries;
        row.station = "bench";
        record.Append(row);
    }
}

QChart* ChartOf(gui::TfrmProduction* window, const char* name) {
    return Part<QChartView>(window, name)->chart();
}

template <typename Axis>
Axis* AxisOf(QChart* chart, Qt::Orientation orientation) {
    const QList<QAbstractAxis*> axes = chart->axes(orientation);
    return axes.size() == 1 ? qobject_cast<Axis*>(axes.front()) : nullptr;
}

QList<qreal> Values(const QBarSet* set) {
    QList<qreal> values;
    for (int index = 0; index < set->count(); ++index) {
        values.append(set->at(index));
    }
    return values;
}

// The card was erased and written once, then only polled and released,
// and the record holds its one good line.
void CardWrittenOnceAndRecorded(TWindowRig& rig, const std::filesystem::path& record) {
    const std::vector<std::string> sent = ShortFrames(rig.device);
    const auto firstPoll = std::find_if(sent.begin(), sent.end(),
                                        [](const std::string& frame) { return frame[0] == 'P'; });
    QVERIFY(std::find_if(sent.begin(), firstPoll,
                         [](const std::string& frame) { return frame[0] == 'H'; }) != firstPoll);
    QVERIFY(std::count_if(firstPoll, sent.end(),
                          [](const std::string& frame) { return frame[0] == 'P'; }) >= 2);
    for (auto frame = firstPoll; frame != sent.end(); ++frame) {
        QVERIFY2((*frame)[0] == 'P' || *frame == "A30", frame->c_str());
    }

    const std::vector<std::string> lines = RecordLines(record);
    QCOMPARE(lines.size(), std::size_t{2});
    const std::string header = CsvLine(ProductionRecordHeader());
    QVERIFY(lines[0].starts_with(header.substr(0, header.size() - 2)));
    QVERIFY2(lines[1].find(",good,") != std::string::npos, lines[1].c_str());
}

} // namespace

class TProductionWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void theMenuItemTheButtonAndF4OpenOneProductionWindow() {
        TWindowRig rig;
        rig.Start();
        QAction* item = rig.Action("Production1");
        QVERIFY(item != nullptr);
        QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F4));
        const QList<QAction*> edit = rig.Find<QMenu>("Edit1")->actions();
        QCOMPARE(edit.indexOf(item), edit.indexOf(rig.Action("AutoProgram1")) + 1);
        QVERIFY(item->isEnabled());
        QVERIFY(rig.Find("btnProduction")->isEnabled());
        QVERIFY(ProductionWindow(rig) == nullptr);
        SaveScreenshot(rig.Window(), QStringLiteral("main-production-button"));

        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible() && window->isWindow());
        QCOMPARE(window->windowTitle(), Entry(rig, entries::kProduction));
        QCOMPARE(Part<QPushButton>(window, "btnProductionRun")->text(),
                 Entry(rig, entries::kProductionStart));
        QCOMPARE(Part<QLabel>(window, "lblRecordName")->text(), Entry(rig, entries::kNoRecordFile));
        QCOMPARE(Part<QSpinBox>(window, "spnCount")->text(), QStringLiteral("\u221E"));
        SaveScreenshot(*window, QStringLiteral("production-idle"));

        window->close();
        QVERIFY(!window->isVisible());
        rig.Find<QToolButton>("btnProduction")->click();
        QVERIFY(window->isVisible());
        QCOMPARE(ProductionWindow(rig), window);
        window->close();
        rig.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.Window()));
        QTest::keyClick(&rig.Window(), Qt::Key_F4);
        QVERIFY(window->isVisible());
        QCOMPARE(rig.Window().findChildren<gui::TfrmProduction*>().size(), 1);

        // The window's words follow the language.
        rig.Action("Deutsch")->trigger();
        QTest::qWait(20); // the layouts follow the longer words
        QCOMPARE(window->windowTitle(), QStringLiteral("Produktion"));
        QCOMPARE(Part<QLabel>(window, "lblGoodCaption")->text(), QStringLiteral("Gut"));
        QCOMPARE(Part<QLabel>(window, "lblRecordName")->text(), QStringLiteral("(keine)"));
        QCOMPARE(rig.Find<QToolButton>("btnProduction")->text(), QStringLiteral("Produktion"));
        SaveScreenshot(rig.Window(), QStringLiteral("main-production-button-deutsch"));
        SaveScreenshot(*window, QStringLiteral("production-idle-deutsch"));
    }

    // The card in the slot is programmed once, however long it stays; the
    // main window's commands are off all the run long, the production
    // entry points are not.
    void aRunProgramsTheCardInTheSlotOnceAndStopsOnTheButton() {
        TWindowRig rig;
        rig.Start();
        ChooseSamples(rig, true);
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        const std::filesystem::path record = rig.dir / "batch.csv";
        rig.files.names.push_back(record);
        Part<QToolButton>(window, "btnRecordFile")->click();
        QCOMPARE(rig.files.titles.back(), Entry(rig, entries::kChooseRecordFile));
        QCOMPARE(Part<QLineEdit>(window, "edtRecordFile")->text(), gui::Q(record.string()));
        QCOMPARE(Part<QLabel>(window, "lblRecordName")->text(), gui::Q(record.string()));
        auto* run = Part<QPushButton>(window, "btnProductionRun");
        auto* good = Part<QLabel>(window, "lblGood");
        // The window keeps its height through the run: nothing comes or goes.
        const int height = window->height();
        std::vector<int> heights;

        std::vector<bool> commandsOn, productionOn, planOn;
        QElapsedTimer clock;
        clock.start();
        qint64 goodAt = -1;
        bool stopPressed = false;
        QString runningCaption;
        QString stoppingShown;
        QString inHand;
        const TEveryTurn look([&] {
            if (!rig.work().ProductionRunning()) {
                return;
            }
            heights.push_back(window->height());
            commandsOn.push_back(rig.Find("btnWrite")->isEnabled() ||
                                 rig.Action("AutoProgram1")->isEnabled() ||
                                 rig.Find("cmpCardType")->isEnabled());
            productionOn.push_back(rig.Find("btnProduction")->isEnabled() &&
                                   rig.Action("Production1")->isEnabled() && run->isEnabled());
            planOn.push_back(Part<QWidget>(window, "edtRecordFile")->isEnabled() ||
                             Part<QWidget>(window, "btnRecordFile")->isEnabled() ||
                             Part<QWidget>(window, "spnCount")->isEnabled());
            if (goodAt < 0 && good->text() == QStringLiteral("1")) {
                goodAt = clock.elapsed();
                runningCaption = run->text();
                SaveScreenshot(*window, QStringLiteral("production-good-running"));
            }
            // A few poll periods with the card left in the slot; then the
            // card goes, the run waits for the next, and Stop is pressed.
            if (goodAt >= 0 && rig.device.Present() &&
                clock.elapsed() - goodAt > 3 * TPMainWorkflows::kPollMs + 100) {
                rig.device.SetPresent(false);
            }
            if (!rig.device.Present() && !stopPressed &&
                Part<QLabel>(window, "lblWaiting")->text() ==
                    Entry(rig, entries::kWaitingForCard)) {
                stopPressed = true;
                SaveScreenshot(*window, QStringLiteral("production-waiting"));
                run->click();
                stoppingShown = Part<QLabel>(window, "lblWaiting")->text();
            }
            if (inHand.isEmpty() && Part<QLabel>(window, "lblCardInHand")->isVisible()) {
                inHand = Part<QLabel>(window, "lblCardInHand")->text();
                SaveScreenshot(*window, QStringLiteral("production-card-in-hand"));
            }
        });
        const TRunDeadline deadline(rig.work());
        // The window's own polls since the samples were chosen are no part of the run.
        rig.device.ClearFrames();
        run->click(); // returns when the run has ended
        QVERIFY(!deadline.expired);

        QVERIFY(stopPressed);
        QCOMPARE(stoppingShown, Entry(rig, entries::kStoppingAfterCard));
        QVERIFY2(inHand.startsWith(QStringLiteral("Card 1: ")), qPrintable(inHand));
        QCOMPARE(runningCaption, Entry(rig, entries::kProductionStop));
        QCOMPARE(good->text(), QStringLiteral("1"));
        QCOMPARE(Part<QLabel>(window, "lblFailed")->text(), QStringLiteral("0"));
        auto* last = Part<QLabel>(window, "lblLastCard");
        QVERIFY2(last->text().startsWith(QStringLiteral("Card 1 good")), qPrintable(last->text()));
        QCOMPARE(last->palette().color(QPalette::Window), QColor(64, 200, 64));
        QVERIFY(AllAre(commandsOn, false));
        QVERIFY(AllAre(productionOn, true));
        QVERIFY(AllAre(planOn, false));
        QVERIFY(!heights.empty());
        QVERIFY(
            std::all_of(heights.begin(), heights.end(), [&](int seen) { return seen == height; }));
        QCOMPARE(window->height(), height);

        CardWrittenOnceAndRecorded(rig, record);
        if (QTest::currentTestFailed()) {
            return;
        }

        // Everything comes back when the run has ended.
        QCOMPARE(run->text(), Entry(rig, entries::kProductionStart));
        QVERIFY(Part<QLabel>(window, "lblWaiting")->text().isEmpty());
        rig.device.SetPresent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Shot().cardState, TPCardState::csCardReady, 3000);
        // A poll in flight holds the controls back for its few milliseconds.
        QTRY_VERIFY_WITH_TIMEOUT(rig.Find("btnWrite")->isEnabled(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Action("AutoProgram1")->isEnabled(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(Part<QWidget>(window, "edtRecordFile")->isEnabled(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(Part<QWidget>(window, "spnCount")->isEnabled(), 3000);
        QVERIFY(rig.prompts.messages.empty());
        SaveScreenshot(*window, QStringLiteral("production-good-after"));
    }

    // A card that cannot be written is counted and shown red with the step
    // it failed at, in the language chosen; a count of one ends the run by
    // itself.
    void aFailingCardShowsRedWithItsStep_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("lineStart");
        QTest::newRow("English") << QStringLiteral("English")
                                 << QStringLiteral("Card 1 failed at processor write");
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch")
                                 << QStringLiteral("Karte 1 fehlerhaft bei Prozessor schreiben");
    }

    void aFailingCardShowsRedWithItsStep() {
        QFETCH(QString, language);
        QFETCH(QString, lineStart);
        TWindowRig rig(kPicOnlyCard);
        rig.Start();
        ChooseSamples(rig, false);
        rig.Action(language.toLatin1().constData())->trigger();
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        Part<QSpinBox>(window, "spnCount")->setValue(1);
        // The first block of the program comes back garbled, and again on
        // each try of the step.
        for (int block = 1; block <= 1 + TPOptionReader::kDefaultStepRetries; ++block) {
            rig.device.AddFault({sim::TSimFaultKind::BadSum, 'B', block});
        }
        const TRunDeadline deadline(rig.work());
        Part<QPushButton>(window, "btnProductionRun")->click();
        QVERIFY(!deadline.expired);

        QCOMPARE(Part<QLabel>(window, "lblFailed")->text(), QStringLiteral("1"));
        QCOMPARE(Part<QLabel>(window, "lblGood")->text(), QStringLiteral("0"));
        auto* last = Part<QLabel>(window, "lblLastCard");
        QVERIFY2(last->text().startsWith(lineStart), qPrintable(last->text()));
        QCOMPARE(last->palette().color(QPalette::Window), QColor(210, 30, 30));
        QCOMPARE(Part<QPushButton>(window, "btnProductionRun")->text(),
                 Entry(rig, entries::kProductionStart));
        // Once the run has ended, nothing more goes to the card.
        const std::size_t frames = rig.device.Frames().size();
        QTest::qWait(2 * TPMainWorkflows::kPollMs);
        for (std::size_t i = frames; i < rig.device.Frames().size(); ++i) {
            QCOMPARE(rig.device.Frames()[i].command, 'P');
        }
        SaveScreenshot(*window, QStringLiteral("production-failed-") + language.toLower());

        // A double-click on the card shows its whole line; no box came.
        auto* recent = Part<QTreeWidget>(window, "lstRecent");
        QCOMPARE(recent->topLevelItemCount(), 1);
        const QRect row = recent->visualItemRect(recent->topLevelItem(0));
        QTest::mouseClick(recent->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(recent->viewport(), Qt::LeftButton, {}, row.center());
        QVERIFY2(Part<QLabel>(window, "lblRecentWhole")->text().contains(lineStart),
                 qPrintable(Part<QLabel>(window, "lblRecentWhole")->text()));
        QVERIFY(rig.prompts.messages.empty());
        QVERIFY(rig.linkPrompts.errors.empty());

        // A file that can no longer be loaded stops the run: said in the
        // view, in the language chosen, not in a box the line would wait on.
        rig.work().SetFileField(TFileRow::frProgram, (rig.dir / "gone.hex").string());
        rig.prompts.Clear();
        Part<QPushButton>(window, "btnProductionRun")->click();
        QVERIFY(rig.prompts.messages.empty());
        const QString said = Part<QLabel>(window, "lblWaiting")->text();
        const QString stopped = Entry(rig, entries::kRunStoppedBecause);
        QVERIFY2(said.startsWith(stopped.left(stopped.indexOf(QStringLiteral("%1")))) &&
                     said.contains(QStringLiteral("gone.hex")),
                 qPrintable(said));
        QCOMPARE(Part<QLabel>(window, "lblSlot")->text(), Entry(rig, entries::kSlotStopped));
        SaveScreenshot(*window, QStringLiteral("production-stopped-") + language.toLower());
    }

    // The charts tab draws a record's cards of a chosen range: the bars of
    // each hour (good and failed stacked), the failures by step with the
    // most on top, the first-pass yield of each hour with cards, in the
    // language chosen; a choice with nothing to read says so in the tab.
    void theChartsTabDrawsTheCardsOfARecord_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("English");
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
    }

    void theChartsTabDrawsTheCardsOfARecord() {
        QFETCH(QString, language);
        TWindowRig rig;
        rig.Start();
        rig.Action(language.toLatin1().constData())->trigger();
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        const std::filesystem::path record = rig.dir / "known.csv";
        WriteKnownRecord(record);
        rig.files.names.push_back(record);
        Part<QToolButton>(window, "btnRecordFile")->click();
        const int runWidth = window->width();

        auto* tabs = Part<QTabWidget>(window, "tabsProduction");
        QCOMPARE(tabs->tabText(1), Entry(rig, entries::kChartsTab));
        tabs->setCurrentIndex(1);
        QVERIFY(window->width() > runWidth);
        auto* span = Part<QComboBox>(window, "cbxChartSpan");
        span->setCurrentIndex(static_cast<int>(TChartSpan::csRange));
        emit span->activated(span->currentIndex());
        QTest::keyClicks(Part<QLineEdit>(window, "edtChartSince"), QStringLiteral("2026-12-06"));
        QTest::keyClicks(Part<QLineEdit>(window, "edtChartUntil"), QStringLiteral("2026-12-08"));
        QTest::keyClick(Part<QLineEdit>(window, "edtChartUntil"), Qt::Key_Return);
        auto* totals = Part<QLabel>(window, "lblChartTotals");
        QTRY_VERIFY_WITH_TIMEOUT(!totals->text().isEmpty(), 10'000);
        QVERIFY2(totals->text().startsWith(
                     gui::Q(FillIn(rig.work().Text(entries::kChartTally), {"10", "6", "3", "1"}))),
                 qPrintable(totals->text()));
        // The yield in the language's own decimals.
        QVERIFY2(
            totals->text().contains(language == QLatin1String("Deutsch") ? "66,7 %" : "66.7 %"),
            qPrintable(totals->text()));

        QChart* cards = ChartOf(window, "chtCardsPerHour");
        QCOMPARE(cards->title(), Entry(rig, entries::kChartCardsPerHour));
        auto* stacked = qobject_cast<QStackedBarSeries*>(cards->series().value(0));
        QVERIFY(stacked != nullptr && stacked->count() == 2);
        QCOMPARE(Values(stacked->barSets()[0]), (QList<qreal>{3, 0, 3}));
        QCOMPARE(Values(stacked->barSets()[1]), (QList<qreal>{1, 0, 2}));
        QCOMPARE(stacked->barSets()[0]->label(), Entry(rig, entries::kCounterGood));
        QCOMPARE(AxisOf<QBarCategoryAxis>(cards, Qt::Horizontal)->categories(),
                 (QStringList{"09:00", "10:00", "11:00"}));
        auto* counts = AxisOf<QValueAxis>(cards, Qt::Vertical);
        QCOMPARE(std::tuple(counts->min(), counts->max(), counts->tickCount()),
                 std::tuple(0.0, 5.0, 6));

        QChart* steps = ChartOf(window, "chtFailuresByStep");
        auto* byStep = qobject_cast<QHorizontalBarSeries*>(steps->series().value(0));
        QVERIFY(byStep != nullptr && byStep->count() == 1);
        QCOMPARE(Values(byStep->barSets()[0]), (QList<qreal>{1, 2}));
        QCOMPARE(AxisOf<QBarCategoryAxis>(steps, Qt::Vertical)->categories(),
                 (QStringList{Entry(rig, entries::kStepProcessorWrite),
                              Entry(rig, entries::kStepEepromVerify)}));
        QCOMPARE(AxisOf<QValueAxis>(steps, Qt::Horizontal)->max(), 2.0);

        QChart* yield = ChartOf(window, "chtFirstPassYield");
        QCOMPARE(yield->title(), Entry(rig, entries::kChartFirstPassYield));
        auto* line = qobject_cast<QLineSeries*>(yield->series().value(0));
        QVERIFY(line != nullptr);
        QCOMPARE(line->points(), (QList<QPointF>{{0, 50}, {2, 60}}));
        QCOMPARE(AxisOf<QValueAxis>(yield, Qt::Vertical)->max(), 100.0);
        SaveScreenshot(*window, QStringLiteral("production-charts-") + language.toLower());

        // The line's shared database was never given: said in the tab, no
        // box, and no charts of the record left standing.
        auto* source = Part<QComboBox>(window, "cbxChartSource");
        source->setCurrentIndex(static_cast<int>(TChartSource::csDatabase));
        emit source->activated(source->currentIndex());
        QCOMPARE(Part<QLabel>(window, "lblChartState")->text(),
                 Entry(rig, entries::kChartNoDatabase));
        QVERIFY(totals->isHidden());
        QVERIFY(rig.prompts.messages.empty());
        tabs->setCurrentIndex(0);
        QCOMPARE(window->width(), runWidth);
    }

    void closingTheProductionWindowEndsTheRunAfterTheCardInHand() {
        TWindowRig rig(kPicOnlyCard, true, kFastLine);
        rig.Start();
        ChooseSamples(rig, false);
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        bool closed = false;
        bool visibleAfterClose = false;
        const TEveryTurn look([&] {
            if (!closed && rig.Shot().commandRunning) {
                closed = true;
                window->close();
                visibleAfterClose = window->isVisible();
            }
        });
        const TRunDeadline deadline(rig.work());
        Part<QPushButton>(window, "btnProductionRun")->click();
        QVERIFY(!deadline.expired);
        QVERIFY(closed);
        QVERIFY(visibleAfterClose);
        QVERIFY(!rig.work().ProductionRunning());
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(Part<QLabel>(window, "lblGood")->text(), QStringLiteral("1"));
        QVERIFY(rig.Window().isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(rig.Find("btnWrite")->isEnabled(), 3000);
    }

    void closingTheMainWindowDuringARunEndsItAfterTheCardInHandAndCloses() {
        TWindowRig rig(kPicOnlyCard, true, kFastLine);
        rig.Start();
        ChooseSamples(rig, false);
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        bool closed = false;
        bool visibleAfterClose = false;
        const TEveryTurn look([&] {
            if (!closed && rig.Shot().commandRunning) {
                closed = true;
                rig.Window().close();
                visibleAfterClose = rig.Window().isVisible();
            }
        });
        const TRunDeadline deadline(rig.work());
        Part<QPushButton>(window, "btnProductionRun")->click();
        QVERIFY(!deadline.expired);
        QVERIFY(closed);
        // The main window goes at once; the production window shows the card
        // in hand to its end.
        QVERIFY(!visibleAfterClose);
        QTRY_VERIFY(!window->isVisible());
        // The card in hand was finished, not cut short, and the programmer released.
        QCOMPARE(Part<QLabel>(window, "lblGood")->text(), QStringLiteral("1"));
        QCOMPARE(rig.device.Mode(), 0);
        QVERIFY(rig.prompts.messages.empty());
        QVERIFY(std::filesystem::exists(rig.dir / "settings"));
    }

    // A card type the programmer cannot program offers no production either.
    void noProductionWhereTheCardCommandsAreOff() {
        TWindowRig rig(kAvrCard);
        rig.device.SetFirmwareVersion(50);
        rig.Start();
        QVERIFY(!rig.Shot().layout.cardCommandsEnabled);
        QTRY_VERIFY(!rig.Action("Production1")->isEnabled());
        QVERIFY(!rig.Find("btnProduction")->isEnabled());
    }

    void aRunCannotStartWhileACommandRuns() {
        TWindowRig rig(kPicOnlyCard, true, kFastLine);
        rig.Start();
        ChooseSamples(rig, false);
        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        auto* run = Part<QPushButton>(window, "btnProductionRun");
        std::vector<bool> on;
        const TEveryTurn look([&] {
            if (rig.work().Busy()) {
                on.push_back(run->isEnabled() || rig.Find("btnProduction")->isEnabled() ||
                             rig.Action("Production1")->isEnabled() ||
                             Part(window, "edtRecordFile")->isEnabled() ||
                             Part(window, "spnCount")->isEnabled());
            }
        });
        rig.Action("WritePic1")->trigger();
        QVERIFY(AllAre(on, false));
        QVERIFY(run->isEnabled());
        QVERIFY(rig.Find("btnProduction")->isEnabled());
    }

    // Two programmers, the main window's one among them, each a slot of its
    // own on a thread of its own: both program cards, the totals are theirs
    // added up, and the one that starts refusing every packet stops alone,
    // saying which and why, while the other goes on. Meanwhile the main
    // window leaves its programmer alone, says why, and takes it up again.
    void twoProgrammersRunSideBySideAndOneStopsAlone() {
        TWindowRig rig;
        rig.Start();
        ChooseSamples(rig, true);
        const std::string mainDevice = TPortMap().PathOf(1);
        sim::TSimDevice other(sim::TSimCard(sim::SimCardModelForCardType(rig.folder, kPicCard)));
        rig.gangDevices = {mainDevice, "sim"};
        rig.gangOpener = [&](const std::string& device) {
            return sim::SimulatorBackendFactory(device == mainDevice ? rig.device : other,
                                                TSteadyClock::Instance());
        };
        sim::TSimFeedPlan plenty;
        plenty.cards = 40;
        rig.device.SetFeed(plenty, TSteadyClock::Instance());
        sim::TSimFeedPlan failing;
        failing.cards = 10;
        for (int card = 2; card <= failing.cards; ++card) {
            failing.faults[card].push_back(sim::ParseSimFault("nack@B1+"));
        }
        other.SetFeed(failing, TSteadyClock::Instance());

        gui::TfrmProduction* window = OpenProduction(rig);
        QVERIFY(window != nullptr);
        SaveScreenshot(*window, QStringLiteral("production-gang-one-slot"));
        const std::filesystem::path record = rig.dir / "gang.csv";
        rig.files.names.push_back(record);
        Part<QToolButton>(window, "btnRecordFile")->click();
        QMenu* ports = Part<QToolButton>(window, "btnProductionPorts")->menu();
        emit ports->aboutToShow();
        for (QAction* item : ports->actions()) {
            item->setChecked(true);
        }
        QVERIFY(Part<QWidget>(window, "gangRunView")->isVisible());
        QVERIFY(!Part<QWidget>(window, "lblSlot")->isVisible());

        const QString inUse = Entry(rig, entries::kPortInProductionRun);
        bool mainLeftAlone = true, mainSaidWhy = false, bothRunning = false, stopPressed = false;
        int goodWhenStopped = -1;
        int turns = 0;
        auto* run = Part<QPushButton>(window, "btnProductionRun");
        const auto good = [&](int slot) {
            const QString counts =
                Part<QLabel>(window, ("lblSlotCounts" + std::to_string(slot)).c_str())->text();
            return counts.section(QLatin1Char(' '), 1, 1).toInt();
        };
        const TEveryTurn look([&] {
            if (run->text() != Entry(rig, entries::kProductionStop)) {
                return;
            }
            if (++turns % 10 == 0) {
                const TMainSnapshot shot = rig.Shot();
                mainLeftAlone = mainLeftAlone && !shot.connected;
                mainSaidWhy = mainSaidWhy || gui::Q(shot.portProblem).contains(inUse);
            }
            if (!bothRunning && good(1) >= 1 && good(2) >= 1) {
                bothRunning = true;
                SaveScreenshot(*window, QStringLiteral("production-gang-two-running"));
            }
            auto* stopped = Part<QLabel>(window, "lblSlotState2");
            if (goodWhenStopped < 0 && stopped->text().contains(QStringLiteral("sim"))) {
                goodWhenStopped = good(1);
            }
            if (!stopPressed && goodWhenStopped >= 0 && good(1) >= goodWhenStopped + 2) {
                stopPressed = true;
                SaveScreenshot(*window, QStringLiteral("production-gang-one-failed"));
                run->click();
            }
        });
        run->click(); // returns at once: the slots run on threads of their own
        QTRY_VERIFY_WITH_TIMEOUT(run->text() == Entry(rig, entries::kProductionStop), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(run->text() == Entry(rig, entries::kProductionStart), 60'000);

        QVERIFY(bothRunning);
        QVERIFY2(goodWhenStopped >= 0, "the refusing slot went on");
        QVERIFY(mainLeftAlone && mainSaidWhy);
        QVERIFY(rig.prompts.messages.empty()); // no box stops the line
        const QString why = Part<QLabel>(window, "lblSlotState2")->text();
        const QString refusing =
            gui::Q(FillIn(rig.work().Text(entries::kRunProgrammerFailing), {"%1", "3", "%3"}));
        QVERIFY2(why.contains(refusing.left(refusing.indexOf(QStringLiteral("%1")))) &&
                     why.contains(refusing.mid(refusing.indexOf(QStringLiteral("%1")) + 2, 20)),
                 qPrintable(why));
        // The totals are the slots' added up, and the record has every card.
        const int failed = Part<QLabel>(window, "lblGangFailed")->text().toInt();
        QCOMPARE(Part<QLabel>(window, "lblGangGood")->text().toInt(), good(1) + good(2));
        QCOMPARE(failed, 3);
        QCOMPARE(RecordLines(record).size(), std::size_t(1 + good(1) + good(2) + failed));
        // The main window has its programmer back.
        QTRY_VERIFY_WITH_TIMEOUT(rig.Shot().connected && rig.Shot().portProblem.empty(), 3000);
        SaveScreenshot(*window, QStringLiteral("production-gang-ended"));
    }
};

KORVEX_GUI_TEST_MAIN(TProductionWindowTest)
#include "production_test.moc"
