#include "sim/simcardspec.h"

#include "catalogue/cardini.h"
#include "catalogue/cardrecords.h"
#include "catalogue/cfgreader.h"
#include "support/inifile.h"
#include "support/textconv.h"

#include <system_error>

namespace korvex::sim {

namespace {

// Field numbers of the catalogue lines.
constexpr int kPicProgramWords = 3;
constexpr int kPicDataBytes = 4;
constexpr int kPicIdA = 5;
constexpr int kPicIdB = 8;
constexpr int kEepromPicKind = 2;
constexpr int kEepromBytes = 3;
constexpr int kEepromAvrKind = 4;

int NumberField(const TPCardReader& reader, int entry, int field, std::string_view what) {
    const std::string text = reader.GetField(entry, field);
    if (auto value = TryStrToInt(text)) {
        return *value;
    }
    throw ESimSetup(reader.GetPath() + ": " + std::string(what) + " of entry " +
                    std::to_string(entry) + " is not a number: '" + text + "'");
}

} // namespace

TSimCardSpec SimCardSpecForParts(const std::filesystem::path& programFolder,
                                 std::string_view processor, std::string_view eeprom) {
    const TPCardReader pics(programFolder / "cards" / "pics.cfg");
    const TPCardReader eeproms(programFolder / "cards" / "eeproms.cfg");

    TSimCardSpec spec;
    int picEntry = 0;
    spec.kind = pics.FindName(processor, 0, picEntry);
    if (picEntry == 0) {
        throw ESimSetup("Unknown processor '" + std::string(processor) + "': it is not listed in " +
                        pics.GetPath());
    }
    spec.processor = pics.GetField(picEntry, 1);
    spec.programWords = NumberField(pics, picEntry, kPicProgramWords, "program size");
    spec.dataBytes = NumberField(pics, picEntry, kPicDataBytes, "data EEPROM size");
    spec.idA = AsciiUpper(pics.GetField(picEntry, kPicIdA));
    spec.idB = AsciiUpper(pics.GetField(picEntry, kPicIdB));

    int eepromEntry = 0;
    eeproms.FindName(eeprom, -1, eepromEntry);
    if (eepromEntry == 0) {
        throw ESimSetup("Unknown EEPROM '" + std::string(eeprom) + "': it is not listed in " +
                        eeproms.GetPath());
    }
    spec.eepromName = eeproms.GetField(eepromEntry, 1);
    spec.eepromKind = NumberField(eeproms, eepromEntry,
                                  spec.IsAvr() ? kEepromAvrKind : kEepromPicKind, "EEPROM kind");
    spec.eepromBytes = NumberField(eeproms, eepromEntry, kEepromBytes, "EEPROM size");
    if (spec.programWords < 0 || spec.dataBytes < 0 || spec.eepromBytes < 0) {
        throw ESimSetup("The catalogue gives a negative memory size for " + spec.processor +
                        " or " + spec.eepromName);
    }
    return spec;
}

TSimCardSpec SimCardSpecForCardType(const std::filesystem::path& programFolder,
                                    std::string_view cardType) {
    if (!TPCardIni::IsSafeCardName(cardType)) {
        throw ESimSetup("Unknown card type '" + std::string(cardType) + "'");
    }
    TPCardIni cards;
    cards.SetBaseDir(programFolder);
    const std::filesystem::path file = cards.CardFilePath(cardType);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw ESimSetup("Unknown card type '" + std::string(cardType) + "': there is no " +
                        file.string());
    }
    // A key the file lacks means what it means for the program itself.
    const TPCardInfo defaults;
    const TPIniFile ini(file);
    return SimCardSpecForParts(programFolder,
                               ini.ReadString("CardType", "PicName", defaults.PicName),
                               ini.ReadString("CardType", "EepromName", defaults.EepromName));
}

} // namespace korvex::sim
