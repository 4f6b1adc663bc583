#include "support/lang.h"
#include "workflows/presenter/facewords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace korvex {

// Fault: the command line said "choose it under Setup > Port" and "in the
// row 'File to Eeprom'", places its user has not got.
TEST(CommandLineStandIns, NoMessageOfTheToolSendsItsUserToTheWindow) {
    const std::pair<const char*, std::regex> languages[] = {
        {"English",
         std::regex(
             R"(Setup >|the row|[Mm]enu|port setting|set Lock to|"Write Pic /|choose a record)")},
        {"Deutsch",
         std::regex(R"(Einstellungen >|der Zeile|Menü|Anschluss-Einst|"Deaktiviert"|"Pic / )"
                    R"(Flash|Wählen Sie eine Protokoll)")}};
    // The placeholders a text fills in, in any order, which every language keeps.
    const auto holes = [](const std::string& text) {
        std::string found = std::regex_replace(text, std::regex("(%[1-9])|."), "$1");
        std::sort(found.begin(), found.end());
        return found;
    };
    const TPLang english;
    for (const auto& [name, windowWords] : languages) {
        TPLang lang;
        lang.SetLangDir(KORVEX_SOURCE_DATA_DIR "/lang");
        lang.LoadLanguage(name);
        ASSERT_TRUE(lang.TakeProblems().empty()) << name;
        for (int entry = 0; entry < lang.EntryCount(); ++entry) {
            const std::string text = lang.GetText(entry);
            // A caption of the window's own is a word or two without a blank.
            if (text.find(' ') == std::string::npos || !std::regex_search(text, windowWords)) {
                continue;
            }
            const auto standIn = CommandLineStandIns().find(entry);
            ASSERT_NE(standIn, CommandLineStandIns().end()) << name << " " << entry << ": " << text;
            const std::string own = lang.GetText(standIn->second);
            EXPECT_FALSE(std::regex_search(own, windowWords)) << name << ": " << own;
            EXPECT_EQ(holes(own), holes(english.GetText(standIn->second))) << name << ": " << own;
        }
    }
}

} // namespace korvex
