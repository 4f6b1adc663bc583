// A result a test station parses must always parse: quotes, backslashes,
// control characters and bytes that are no UTF-8 (a file name from another
// system) are escaped or replaced, never passed through.
#include "support/json.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(JsonString, EscapesWhatJsonForbidsAndReplacesBytesThatAreNoUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"say \"yes\"", "\"say \\\"yes\\\"\""},
        {"C:\\cards", "\"C:\\\\cards\""},
        {"two\nlines\r\tend", "\"two\\nlines\\r\\tend\""},
        {std::string("nul\0bell\a", 9), "\"nul\\u0000bell\\u0007\""},
        {"Grüße €", "\"Grüße €\""},                   // UTF-8 kept as it is
        {"\xF0\x9F\x94\x8C", "\"\xF0\x9F\x94\x8C\""}, // four bytes
        {"Gr\xFC\xDF"
         "e",
         "\"Gr\xEF\xBF\xBD\xEF\xBF\xBD"
         "e\""},                                                      // Latin-1
        {"cut \xE2\x82", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},         // a sequence cut short
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // an overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // a surrogate
    };
    for (const auto& [text, json] : cases) {
        EXPECT_EQ(JsonString(text), json) << text;
    }
}

} // namespace
} // namespace korvex
