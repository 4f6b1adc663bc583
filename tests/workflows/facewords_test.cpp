#include "support/lang.h"
#include "workflows/facewords.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace korvex {

namespace {

std::set<std::string> Placeholders(const std::string& text) {
    std::set<std::string> found;
    const std::regex placeholder("%[1-9]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

} // namespace

// Fault: the command line said "choose it under Setup > Port" and "in the
// row 'File to Eeprom'", places its user has not got.
TEST(CommandLineStandIns, NoMessageOfTheToolSendsItsUserToTheWindow) {
    const std::pair<const char*, std::regex> languages[] = {
        {"English", std::regex(R"(Setup >|the row|[Mm]enu|port setting|set Lock to|"Write Pic /)")},
        {"Deutsch",
         std::regex(
             R"(Einstellungen >|der Zeile|Menü|Anschluss-Einst|"Deaktiviert"|"Pic / Flash)")},
    };
    const std::map<int, int>& standIns = CommandLineStandIns();
    TPLang english;
    for (const auto& [name, windowWords] : languages) {
        TPLang lang;
        lang.SetLangDir(KORVEX_SOURCE_DATA_DIR "/lang");
        lang.LoadLanguage(name);
        ASSERT_TRUE(lang.TakeProblems().empty()) << name;
        for (int entry = 0; entry < lang.EntryCount(); ++entry) {
            const std::string text = lang.GetText(entry);
            // Only captions of the window's own controls are a word or two.
            if (text.find(' ') == std::string::npos || !std::regex_search(text, windowWords)) {
                continue;
            }
            const auto standIn = standIns.find(entry);
            ASSERT_NE(standIn, standIns.end()) << name << " entry " << entry << ": " << text;
            const std::string own = lang.GetText(standIn->second);
            EXPECT_FALSE(std::regex_search(own, windowWords)) << name << ": " << own;
            EXPECT_EQ(Placeholders(own), Placeholders(english.GetText(standIn->second)))
                << name << ": " << own;
        }
    }
}

} // namespace korvex
