#include "workflows/presenter/facewords.h"

#include "workflows/entries.h"

namespace korvex {

const std::map<int, int>& CommandLineStandIns() {
    using namespace entries;
    static const std::map<int, int> standIns{
        {kProgrammerNotConnected, kCliProgrammerNotConnected},
        {kFirmwareTooOld, kCliFirmwareTooOld},
        {kFirmwareUnsuitable, kCliFirmwareUnsuitable},
        {kNothingToVerifyProgram, kCliNothingToVerifyProgram},
        {kNothingToVerifyEeprom, kCliNothingToVerifyEeprom},
        {kNoProgramImage, kCliNoProgramImage},
        {kNoEepromImage, kCliNoEepromImage},
        {kRowUnusable, kCliRowUnusable},
        {kWritePicNothingToDo, kCliWritePicNothingToDo},
        {kWriteEepromNothingToDo, kCliWriteEepromNothingToDo},
        {kAutoNothingToDo, kCliAutoNothingToDo},
        {kLoaderWouldStay, kCliLoaderWouldStay},
        {kLockWithoutWrite, kCliLockWithoutWrite},
        {kEepromFileLeftOut, kCliEepromFileLeftOut},
        {kSerialNeedsWrite, kCliSerialNeedsWrite},
        {kPortGone, kCliPortGone},
        {kAutoLockWithoutWrite, kCliAutoLockWithoutWrite},
        {kDatabaseNeedsRecord, kCliDatabaseNeedsRecord},
    };
    return standIns;
}

} // namespace korvex
