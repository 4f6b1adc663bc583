// The lower layers' English messages worded in the language shown: the same
// in English, German under Deutsch down to the message inside a message.
#include "workflowrig.h"

#include "catalogue/cardini.h"
#include "catalogue/serialfieldini.h"
#include "images/hexfile.h"
#include "link/serialdevices.h"
#include "serials/serialencode.h"
#include "serials/serialimage.h"
#include "workflows/filerows/imagefit.h"
#include "workflows/messagewords.h"
#include "workflows/production/productionrecord.h"
#include "workflows/session/portname.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;

TEST(MessageWords, EachLayersMessageIsWordedInTheLanguageShown) {
    TempDir dir;
    WriteText(dir / "big.bin", std::string(10, 'x'));
    TSerialField bcd;
    bcd.name = "Serial1";
    bcd.address = 0x7FE;
    bcd.length = 1;
    bcd.format = TSerialFormat::sfBcd;
    const TPortName port{"COM1 (/dev/ttyUSB9)", false};
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { SerialFieldOfLine("Serial1:memory=eeprom,address=0,length=0,format=bcd", "c"); },
         "c [Serial1]: Länge 0: Ein Feld umfasst mindestens ein Byte"},
        {[&] { EncodeSerialNumber(bcd, 1000); },
         "Seriennummernfeld Serial1: 1000 passt nicht in 1 Byte(s) im Format bcd (höchstens 99)"},
        {[&] { CheckSerialPlace(bcd, 0x7FE, "", TImageLayout::ilBytes); },
         "Seriennummernfeld Serial1 (externes Eeprom, Bytes 0x07FE bis 0x07FE) liegt außerhalb"},
        {[&] { THexFile::Parse(":0100000001FF\n:00000001FF\n", "p.hex"); },
         "p.hex:1: die Prüfsumme ist FF, erwartet FE"},
        {[&] { CheckBinaryProgramFits(dir / "big.bin", 4, "program memory"); },
         "über den Speicher (Programmspeicher) mit 4 Bytes"},
        {[&] { TPProductionRecord(dir / "none" / "r.csv").Check(); },
         "r.csv: Der Ordner des Produktionsprotokolls existiert nicht; bitte ihn anlegen"},
        {[&] { TPCardIni::CheckCardName("a/b"); },
         "Der Kartentypname \"a/b\" ist nicht verwendbar: er enthält / oder \\;"},
        {[&] { throw EKorvex(port.CannotOpen(DescribeOpenError(ENOENT, "/dev/x", {}))); },
         "COM1 (/dev/ttyUSB9) kann nicht geöffnet werden: Kein serielles Gerät /dev/x ("},
    };
    const TPLang english;
    TPLang german;
    german.SetLangDir(KORVEX_SOURCE_DATA_DIR "/lang");
    german.LoadLanguage("Deutsch");
    for (const auto& [fail, words] : cases) {
        try {
            fail();
            ADD_FAILURE() << "no error for " << words;
        } catch (const std::exception& error) {
            EXPECT_EQ(WordedError(english, error), DescribeError(error));
            EXPECT_NE(WordedError(german, error).find(words), std::string::npos)
                << WordedError(german, error);
        }
    }
    EXPECT_EQ(WordedMessage(german, "of no pattern: Length 0"), "of no pattern: Length 0");
    EXPECT_EQ(WordedMessage(german, "Failed to write card !"),
              "Schreiben der Karte fehlgeschlagen!");
}

// As the user met it: a serial field over the file's own data stops Auto
// program in the words of the language shown.
TEST(MessageWords, ACommandsSerialFieldStopsInTheLanguageShown) {
    TWorkflowRig rig;
    rig.Start();
    rig.flows.EditSerialFields({"Serial1:memory=eeprom,address=0x10,length=4,format=bcd"}, {});
    rig.Set(TFileRow::frProgram, rig.File("p.hex", PicHexFile(SomeWords(8), {}, 0x3FF2)));
    rig.Set(TFileRow::frEeprom, rig.File("e.hex", HexData(0, SomeBytes(100, 5)) + HexEnd()));
    rig.flows.ChooseLanguage("Deutsch");
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    ASSERT_FALSE(rig.prompts.messages.empty());
    EXPECT_EQ(rig.prompts.messages.back().text.find(
                  "Seriennummernfeld Serial1 (externes Eeprom, Bytes 0x0010 bis 0x0013) überdeckt "
                  "Byte 0x0010, das das Abbild setzt ("),
              0u)
        << rig.prompts.messages.back().text;
}

} // namespace
} // namespace korvex
