// Arbitrary bytes as an INI file: parsing, lookups and a write must never
// crash, and a value written must read back after the text is re-parsed.
#include "support/inifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using korvex::TPIniFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TPIniFile ini("/nonexistent/fuzz.ini");
    ini.LoadText(text);

    (void)ini.SectionExists("Auto");
    (void)ini.ValueExists("Auto", "WriteEe");
    (void)ini.ReadString("CardType", "CardName", "none");
    (void)ini.ReadInteger("Defaults", "Oscil", 1);

    // The written value is taken from the input so that blanks, line breaks
    // and bracket characters reach the writer.
    const std::string value(text.substr(0, 64));
    ini.WriteString("Defaults", "PicFile", value);
    const std::string expected = ini.ReadString("Defaults", "PicFile", "<missing>");
    ini.WriteInteger("defaults", "POWERUP", static_cast<int>(size));

    TPIniFile again("/nonexistent/fuzz.ini");
    again.LoadText(ini.Text());
    if (again.ReadString("DEFAULTS", "picfile", "<missing>") != expected ||
        again.ReadInteger("Defaults", "PowerUp", -1) != static_cast<int>(size)) {
        std::abort();
    }
    return 0;
}
