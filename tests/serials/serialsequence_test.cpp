#include "common/tempdir.h"
#include "serials/fields.h"
#include "serials/serialerrors.h"
#include "serials/serialsequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace korvex {

using namespace korvex::testing;

namespace {

// The value after `last`, or the message.
std::string Next(const TPSerialSequence& sequence, std::optional<std::uint64_t> last) {
    try {
        return sequence.After(last).text;
    } catch (const ESerialsUsedUp& error) {
        return error.what();
    }
}

} // namespace

// Fault: a counter handed out a value again after its range was changed, or
// went past its last value or round through 2^64.
TEST(SerialSequence, ACounterMovesOnFromItsLastValueAndStopsAtItsEnd) {
    const std::uint64_t max = 0xFFFFFFFFFFFFFFFF;
    const struct {
        TSerialField field;
        std::optional<std::uint64_t> last;
        std::string next;
    } cases[] = {
        {Counter(100, 5, 200), std::nullopt, "100"},
        {Counter(100, 5, 200), 195, "200"},
        {Counter(100, 5, 200), 7, "100"}, // First raised above what was handed out
        {Counter(1, 3, 200), 150, "153"}, // First lowered: never back
        {Counter(100, 5, 200), 196,
         "Serial field Serial1 of card type C has used up its "
         "counter: 196 was handed out and Last is 200"},
        {Counter(1, 2, max), max - 1, "Serial field Serial1 of card type C has used up"},
    };
    for (const auto& c : cases) {
        const std::string next = Next(TPSerialSequence("C", c.field), c.last);
        EXPECT_TRUE(next.starts_with(c.next)) << next;
    }
}

// Fault: a list with a line the field cannot hold, or a value twice, was
// taken and failed (or was written twice) only cards later.
TEST(SerialSequence, AListIsCheckedWholeBeforeItsFirstValueAndEndsWithItsLines) {
    TempDir dir;
    TSerialField field = Field(TSerialFormat::sfAsciiDecimal, 3);
    field.source = TSerialSource::ssList;
    field.list = dir / "ids.txt";
    const std::pair<std::string, std::string> refused[] = {
        {"1\n\n2\n", "ids.txt:2: empty line"},
        {"1\r\n22\r\n1234\r\n", "ids.txt:3: \"1234\" has 4 digits, more than"},
        {"7\n8\n7\n", "ids.txt:3: \"7\" repeats line 1"},
    };
    for (const auto& [text, problem] : refused) {
        WriteText(field.list, text);
        EXPECT_THAT([&] { TPSerialSequence("C", field); },
                    ::testing::ThrowsMessage<ESerialValue>(::testing::HasSubstr(problem)));
    }
    WriteText(field.list, "5\r\n6");
    const TPSerialSequence sequence("C", field);
    EXPECT_EQ(sequence.After(std::nullopt), (TSerialValue{"Serial1", 1, "5"}));
    EXPECT_EQ(sequence.Bytes(sequence.After(1)), (std::vector<std::uint8_t>{'0', '0', '6'}));
    EXPECT_TRUE(Next(sequence, 2).ends_with("all 2 lines were handed out; add lines at its end"));
}

} // namespace korvex
