#pragma once

// Language entries from 141 on: the messages that tell why a command did not
// start or did not finish, beyond those every language file has had.
namespace korvex::entries {

// Verify Pic / Verify Eeprom with no image loaded to compare with.
constexpr int kNothingToVerifyProgram = 141;
constexpr int kNothingToVerifyEeprom = 142;
// Write Pic and Auto program without a program image.
constexpr int kNoProgramImage = 143;
// Write Eeprom, and Auto program with its EEPROM part on, without an EEPROM image.
constexpr int kNoEepromImage = 144;
// The programmer did not take the configuration word.
constexpr int kConfigRefused = 145;
// The options file could not be written; the reason follows.
constexpr int kOptionsNotSaved = 146;
// The loader the EEPROM commands need is missing; its path follows.
constexpr int kLoaderMissing = 147;
// The ends of Lock card and Erase Pic, for a face that says how a command ended.
constexpr int kCardLocked = 148;
constexpr int kProcessorErased = 149;

} // namespace korvex::entries
