#include "support/logmemo.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

std::vector<std::string> Lines(const TLogMemo& memo) {
    return {memo.Lines().begin(), memo.Lines().end()};
}

TEST(LogMemo, MaxLinesFallsBackToTheDefault) {
    TLogMemo memo;
    EXPECT_EQ(memo.MaxLines(), 100);
    memo.SetMaxLines(0);
    EXPECT_EQ(memo.MaxLines(), 100);
    memo.SetMaxLines(-5);
    EXPECT_EQ(memo.MaxLines(), 100);
    memo.SetMaxLines(1);
    EXPECT_EQ(memo.MaxLines(), 1);
}

TEST(LogMemo, TrimmingKeepsTheNewestLinesInOrder) {
    TLogMemo memo;
    memo.SetMaxLines(1000);
    for (int line = 1; line <= 130; ++line) {
        memo.Add(std::to_string(line));
    }
    memo.SetMaxLines(100);
    int removals = 0;
    memo.OnLinesRemoved = [&] { ++removals; };
    memo.TrimLines();
    ASSERT_EQ(memo.Count(), 100u);
    EXPECT_EQ(memo.Lines().front(), "31");
    EXPECT_EQ(memo.Lines().back(), "130");
    EXPECT_EQ(removals, 1);

    memo.TrimLines(); // exactly MaxLines: nothing changes
    EXPECT_EQ(memo.Count(), 100u);
    EXPECT_EQ(removals, 1);
}

TEST(LogMemo, EveryAddedLineIsTrimmedAtOnceAndReported) {
    TLogMemo memo;
    memo.SetMaxLines(3);
    std::vector<std::string> seen;
    memo.OnLineAdded = [&](const std::string& line) { seen.push_back(line); };
    for (const char* line : {"a", "b", "c", "d", "e"}) {
        memo.Add(line);
    }
    EXPECT_EQ(Lines(memo), (std::vector<std::string>{"c", "d", "e"}));
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(memo.Text(), "c\r\nd\r\ne\r\n");
    memo.Clear();
    EXPECT_EQ(memo.Count(), 0u);
}

TEST(LogMemo, FramesAreShownWithTheirControlBytes) {
    EXPECT_EQ(DisplayLogLine(std::string("\x01P081\r")), "<01>P081<0D>");
    EXPECT_EQ(DisplayLogLine("Received ->3FFF"), "Received ->3FFF");
    EXPECT_EQ(DisplayLogLine(std::string("\x7F\xFF", 2)), "<7F><FF>");
}

} // namespace
} // namespace korvex
