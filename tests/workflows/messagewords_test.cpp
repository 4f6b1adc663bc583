// The file, catalogue and serial layers' English messages, worded again in
// the language shown: as they were in English, in German words under
// Deutsch, down to the message inside a message.
#include "workflowrig.h"

#include "catalogue/cardini.h"
#include "catalogue/serialfieldini.h"
#include "images/hexfile.h"
#include "link/serialdevices.h"
#include "serials/serialencode.h"
#include "serials/serialimage.h"
#include "support/readfile.h"
#include "workflows/imagefit.h"
#include "workflows/messagewords.h"
#include "workflows/portname.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvex {
namespace {

using namespace korvex::testing;

TEST(MessageWords, EachLayersMessageIsWordedInTheLanguageShown) {
    TempDir dir;
    const TSerialField bcd{
        .name = "Serial1", .address = 0x7FE, .length = 1, .format = TSerialFormat::sfBcd};
    struct TCase {
        const char* name;
        std::function<void()> fail;
        const char* german; // a part of the German words, down to the inner message
    };
    const TCase cases[] = {
        {"a field defined wrong",
         [&] {
             SerialFieldOfLine("Serial1:memory=eeprom,address=0,length=0,format=bcd",
                               dir / "c.ini");
         },
         "[Serial1]: Länge 0: Ein Feld umfasst mindestens ein Byte"},
        {"a value too large", [&] { EncodeSerialNumber(bcd, 1000); },
         "Seriennummernfeld Serial1: 1000 passt nicht in 1 Byte(s) im Format bcd (höchstens 99)"},
        {"a field past its memory",
         [&] { CheckSerialPlace(bcd, 0x7FE, "", TImageLayout::ilBytes); },
         "Seriennummernfeld Serial1 (externes Eeprom, Bytes 0x07FE bis 0x07FE) liegt außerhalb"},
        {"a HEX record spoiled", [&] { THexFile::Parse(":0100000001FF\n:00000001FF\n", "p.hex"); },
         "p.hex:1: die Prüfsumme ist FF, erwartet FE"},
        {"a file too large",
         [&] {
             WriteText(dir / "big.bin", std::string(10, 'x'));
             CheckBinaryProgramFits(dir / "big.bin", 4, "program memory");
         },
         "über den Speicher (Programmspeicher) mit 4 Bytes"},
        {"no such file", [&] { TReadOnlyFile(dir / "none.hex"); }, "none.hex: keine solche Datei"},
        {"a card type name", [&] { TPCardIni::CheckCardName("a/b"); },
         "Der Kartentypname \"a/b\" ist nicht verwendbar: er enthält / oder \\;"},
        {"a port",
         [&] {
             throw EKorvex(TPortName{"COM1 (/dev/ttyUSB9)", false}.CannotOpen(
                 DescribeOpenError(ENOENT, "/dev/ttyUSB9", {})));
         },
         "COM1 (/dev/ttyUSB9) kann nicht geöffnet werden: Kein serielles Gerät /dev/ttyUSB9 ("},
    };
    TPLang english;
    TPLang german;
    german.SetLangDir(KORVEX_SOURCE_DATA_DIR "/lang");
    german.LoadLanguage("Deutsch");
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        try {
            test.fail();
            ADD_FAILURE() << "no error";
        } catch (const std::exception& error) {
            EXPECT_EQ(WordedError(english, error), DescribeError(error));
            EXPECT_NE(WordedError(german, error).find(test.german), std::string::npos)
                << WordedError(german, error) << "\n"
                << DescribeError(error);
        }
    }
    EXPECT_EQ(WordedMessage(german, "a message of no pattern: Length 0"),
              "a message of no pattern: Length 0");
}

// As a user meets it: a card's serial field over the file's own data stops
// Auto program in the words of the language shown.
TEST(MessageWords, ACommandsSerialFieldStopsInTheLanguageShown) {
    TWorkflowRig rig;
    rig.Start();
    ASSERT_EQ(rig.flows.EditSerialFields(
                  {"Serial1:memory=eeprom,address=0x10,length=4,format=bcd,first=5"}, {}),
              TIntentResult::irDone);
    rig.Set(TFileRow::frProgram, rig.File("p.hex", PicHexFile(SomeWords(8), {}, 0x3FF2)));
    rig.Set(TFileRow::frEeprom, rig.File("e.hex", HexData(0, SomeBytes(100, 5)) + HexEnd()));
    rig.flows.ChooseLanguage("Deutsch");
    rig.prompts.messages.clear();
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    ASSERT_FALSE(rig.prompts.messages.empty());
    const std::string& said = rig.prompts.messages.back().text;
    EXPECT_EQ(said.find("Seriennummernfeld Serial1 (externes Eeprom, Bytes 0x0010 bis 0x0013) "
                        "überdeckt Byte 0x0010, das das Abbild setzt ("),
              0u)
        << said;
}

} // namespace
} // namespace korvex
