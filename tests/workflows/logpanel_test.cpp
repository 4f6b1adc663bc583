#include "common/tempdir.h"
#include "workflowrig.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvex {
namespace {

using testing::ReadText;
using testing::TWorkflowRig;

std::string ShownLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += DisplayLogLine(line) + "\n";
    }
    return text;
}

TEST(LogPanel, LogsOnlyWhileStartedAndClearingKeepsItRunning) {
    TWorkflowRig rig;
    rig.Start();
    EXPECT_EQ(rig.flows.Snapshot().logButtonCaption, "Start log");
    rig.Run(TCardCommand::ccErasePic);
    EXPECT_TRUE(rig.flows.LogMemo().Lines().empty());

    rig.flows.ToggleLog();
    EXPECT_EQ(rig.flows.Snapshot().logButtonCaption, "Stop log");
    rig.Run(TCardCommand::ccErasePic);
    ASSERT_FALSE(rig.flows.LogMemo().Lines().empty());
    const std::size_t logged = rig.flows.LogMemo().Lines().size();

    rig.flows.ClearLog();
    EXPECT_TRUE(rig.flows.LogMemo().Lines().empty());
    EXPECT_TRUE(rig.flows.Snapshot().logging);
    rig.Run(TCardCommand::ccErasePic);
    EXPECT_EQ(rig.flows.LogMemo().Lines().size(), logged);

    rig.flows.ToggleLog();
    EXPECT_EQ(rig.flows.Snapshot().logButtonCaption, "Start log");
    rig.Run(TCardCommand::ccErasePic);
    EXPECT_EQ(rig.flows.LogMemo().Lines().size(), logged);
}

TEST(LogPanel, SavesEveryLineUnderTheNameAsGiven) {
    TWorkflowRig rig;
    rig.Start();
    rig.flows.LogMemo().Add("first");
    rig.flows.LogMemo().Add("second");
    const auto file = rig.dir / "log";
    rig.flows.SaveLog(file);
    EXPECT_EQ(ReadText(file), "first\nsecond\n");
    EXPECT_FALSE(std::filesystem::exists(rig.dir / "log.txt"));

    // Replaced without a question.
    rig.flows.ClearLog();
    rig.flows.LogMemo().Add("third");
    rig.flows.SaveLog(file);
    EXPECT_EQ(ReadText(file), "third\n");

    rig.prompts.Clear();
    EXPECT_EQ(rig.flows.SaveLog(rig.dir / "no-such-folder" / "log.txt"), TIntentResult::irFailed);
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_NE(rig.prompts.messages[0].text.find("Cannot create file "), std::string::npos)
        << rig.prompts.messages[0].text;
}

TEST(LogPanel, SavesAWriteLongerThanTheMemoShowsFromItsFirstFrame) {
    std::vector<std::string> followed; // outlives the rig, which logs its release
    TWorkflowRig rig;
    rig.Start();
    TPLogPanel& log = rig.flows.LogPanel();
    rig.Set(TFileRow::frProgram,
            rig.File("prog.hex",
                     testing::PicHexFile(testing::SomeWords(40), testing::SomeBytes(16), 0x3FF2)));
    log.OnLineAdded = [&](const std::string& line) { followed.push_back(line); };
    log.ToggleLog();
    ASSERT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);

    const auto maxLines = static_cast<std::size_t>(log.Memo().MaxLines());
    ASSERT_GT(followed.size(), maxLines) << "the write should outgrow the memo";
    EXPECT_EQ(log.Memo().Count(), maxLines) << "the memo still shows only its newest lines";
    const auto file = rig.dir / "write.log";
    log.SaveLog(file);
    const std::string saved = ReadText(file);
    // As the panel shows it: control bytes as <01> and <0D>, one line end a line.
    EXPECT_EQ(saved, ShownLines(followed));
    EXPECT_NE(saved.find("<01>H3"), std::string::npos) << "the erase frame is missing";
    EXPECT_EQ(saved.find('\r'), std::string::npos);
}

TEST(LogPanel, KeptLogDropsItsOldestLinesPastItsLimit) {
    TWorkflowRig rig;
    TPLogPanel& log = rig.flows.LogPanel();
    EXPECT_EQ(log.KeptLineLimit(), 1'000'000u);
    log.SetKeptLineLimit(4);
    for (const char* line : {"1", "2", "3", "4", "5", "6"}) {
        log.Memo().Add(line);
    }
    const auto file = rig.dir / "log.txt";
    log.SaveLog(file);
    EXPECT_EQ(ReadText(file), "3\n4\n5\n6\n");

    log.SetKeptLineLimit(2); // lowered: the oldest go at once
    log.SaveLog(file);
    EXPECT_EQ(ReadText(file), "5\n6\n");
    log.SetKeptLineLimit(0);
    EXPECT_EQ(log.KeptLineLimit(), TPLogPanel::kKeptLineLimit);
}

TEST(LogPanel, ClearingEmptiesTheSavedLogBeyondWhatTheMemoShows) {
    TWorkflowRig rig;
    TPLogPanel& log = rig.flows.LogPanel();
    log.Memo().SetMaxLines(2);
    for (const char* line : {"a", "b", "c", "d"}) {
        log.Memo().Add(line);
    }
    log.ClearLog();
    EXPECT_EQ(log.Memo().Count(), 0u);
    EXPECT_TRUE(log.KeptLines().empty());
    const auto file = rig.dir / "log.txt";
    log.SaveLog(file);
    EXPECT_EQ(ReadText(file), "");

    log.Memo().Add("e");
    log.SaveLog(file);
    EXPECT_EQ(ReadText(file), "e\n");
}

// Lines in, the lines kept and shown out: "P" a poll's frame, "B" another's.
TEST(LogPanel, HiddenPollsShowOnlyWhenTheirAnswerChanges) {
    using TLines = std::vector<std::string>;
    const std::string P = "\x01P081\r",
                      B = "\x01"
                          "B3FFF\r",
                      ok = "Succes.", dle = "DLE Error.";
    const std::tuple<bool, TLines, TLines> cases[] = {
        {false, {P, ok, P, ok}, {P, ok, P, ok}},
        {true, {P, ok, P, ok, B, ok}, {P, ok, B, ok}},
        {true, {P, ok, P, dle, P, ok}, {P, ok, P, dle, P, ok}},
        {true, {P, ok, P, P, ok}, {P, ok, P}}, // a poll cut short stays
        {true, {B, ok, B, ok}, {B, ok, B, ok}},
    };
    for (const auto& [hidden, in, kept] : cases) {
        TWorkflowRig rig;
        TLines shown;
        rig.flows.LogPanel().OnLineAdded = [&](const std::string& line) { shown.push_back(line); };
        rig.flows.HidePolls(hidden);
        EXPECT_EQ(rig.flows.Snapshot().pollsHidden, hidden);
        for (const std::string& line : in) {
            rig.flows.LogMemo().Add(line);
        }
        const auto& log = rig.flows.LogPanel().KeptLines();
        EXPECT_EQ(TLines(log.begin(), log.end()), kept);
        EXPECT_EQ(shown, kept);
    }
}

TEST(LogPanel, DelayTakesAnIntegerFrom0To1000OrKeepsThePause) {
    TWorkflowRig rig;
    rig.Start();
    EXPECT_EQ(rig.Bench().line.Prog().Delay(), 3);
    rig.flows.SetDelay("1000");
    EXPECT_EQ(rig.Bench().line.Prog().Delay(), 1000);
    rig.flows.SetDelay("10");
    const std::string range = rig.Text(entries::kDelayOutOfRange);
    for (const auto& [text, why] : std::initializer_list<std::pair<std::string, std::string>>{
             {"", "'' is not a valid integer value"},
             {"abc", "'abc' is not a valid integer value"},
             {"1.5", "'1.5' is not a valid integer value"},
             {"-1", range},
             {"1001", range}}) {
        rig.prompts.Clear();
        EXPECT_EQ(rig.flows.SetDelay(text), TIntentResult::irFailed) << text;
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_EQ(rig.prompts.messages[0].text, why);
    }
    EXPECT_EQ(rig.Bench().line.Prog().Delay(), 10);
}

TEST(LogPanel, HelpOpensOnlyAnExistingDocumentAndTheBugReportAlways) {
    TWorkflowRig rig;
    rig.Start();
    const std::filesystem::path help = rig.folder / rig.Text(entries::kHelpDocument);
    std::filesystem::remove(help);
    rig.flows.OpenHelp();
    EXPECT_TRUE(rig.view.documents.empty());

    std::filesystem::create_directories(help.parent_path());
    testing::WriteText(help, "<html></html>");
    rig.flows.OpenHelp();
    rig.flows.OpenBugReport();
    EXPECT_EQ(rig.view.documents,
              (std::vector<std::string>{help.string(), rig.Text(entries::kBugReportAddress)}));
}

} // namespace
} // namespace korvex
