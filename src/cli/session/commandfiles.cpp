#include "cli/session/commandfiles.h"

namespace korvex::cli {

bool UseIntEepromFile(TCardSession& session, const std::string& file) {
    if (file.empty()) {
        // The card type's stored file goes to the card with the flash: one
        // that cannot be used is said in this tool's words, not the window's.
        return !session.Work().AvrKind() ||
               session.StoredFileUsable(TFileRow::frIntEeprom, "internal eeprom", false);
    }
    if (!session.Work().AvrKind()) {
        session.Fail("--int-eeprom is for AVR-kind card types: a PIC's data EEPROM comes with "
                     "its program file");
        return false;
    }
    return session.UseFile(TFileRow::frIntEeprom, file);
}

bool WritesProcessor(TCardSession& session, bool autoProgram) {
    return session.Work().WritesProcessor(autoProgram ? TCardCommand::ccAutoProgram
                                                      : TCardCommand::ccWritePic);
}

} // namespace korvex::cli
