#include "sim/simcardmodel.h"

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

TSimCardModel SimCardModelForParts(const TPDataFolders& folders, std::string_view processor,
                                   std::string_view eeprom) {
    const std::filesystem::path cards = "cards";
    const TPCardReader pics(folders, cards / "pics.cfg");
    const TPCardReader eeproms(folders, cards / "eeproms.cfg");

    TSimCardModel model;
    int picEntry = 0;
    model.kind = pics.FindName(processor, 0, picEntry);
    if (picEntry == 0) {
        throw ESimSetup("Unknown processor '" + std::string(processor) + "': it is not listed in " +
                        pics.GetPath());
    }
    model.processor = pics.GetField(picEntry, 1);
    model.programWords = NumberField(pics, picEntry, kPicProgramWords, "program size");
    model.dataBytes = NumberField(pics, picEntry, kPicDataBytes, "data EEPROM size");
    model.idA = AsciiUpper(pics.GetField(picEntry, kPicIdA));
    model.idB = AsciiUpper(pics.GetField(picEntry, kPicIdB));

    int eepromEntry = 0;
    eeproms.FindName(eeprom, -1, eepromEntry);
    if (eepromEntry == 0) {
        throw ESimSetup("Unknown EEPROM '" + std::string(eeprom) + "': it is not listed in " +
                        eeproms.GetPath());
    }
    model.eepromName = eeproms.GetField(eepromEntry, 1);
    model.eepromKind = NumberField(eeproms, eepromEntry,
                                   model.IsAvr() ? kEepromAvrKind : kEepromPicKind, "EEPROM kind");
    model.eepromBytes = NumberField(eeproms, eepromEntry, kEepromBytes, "EEPROM size");
    if (model.programWords < 0 || model.dataBytes < 0 || model.eepromBytes < 0) {
        throw ESimSetup("The catalogue gives a negative memory size for " + model.processor +
                        " or " + model.eepromName);
    }
    return model;
}

TSimCardModel SimCardModelForCardType(const TPDataFolders& folders, std::string_view cardType) {
    if (!TPCardIni::IsSafeCardName(cardType)) {
        throw ESimSetup("Unknown card type '" + std::string(cardType) + "'");
    }
    TPCardIni cards;
    cards.SetBaseDir(folders);
    const std::filesystem::path file = cards.CardFilePath(cardType);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw ESimSetup("Unknown card type '" + std::string(cardType) + "': there is no " +
                        file.string());
    }
    // A key the file lacks means what it means for the program itself.
    const TPCardInfo defaults;
    const TPIniFile ini(file);
    return SimCardModelForParts(folders, ini.ReadString("CardType", "PicName", defaults.PicName),
                                ini.ReadString("CardType", "EepromName", defaults.EepromName));
}

} // namespace korvex::sim
