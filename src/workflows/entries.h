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

// The second line of a verify that found a difference: where, what was
// expected and found (%1..%3), and how many bytes differ in all (%4); one per
// memory, and what is shown as found when the read-back ended before it.
constexpr int kDifferenceProgram = 150;
constexpr int kDifferenceDataEeprom = 151;
constexpr int kDifferenceEeprom = 152;
constexpr int kDifferenceNothing = 153;
// The step a card failed at in a production run, from loading the files to
// the configuration word or lock, in the order of TFailStep.
constexpr int kFirstFailStep = 154;
// The production run's command, its captions and its log lines.
constexpr int kProductionMenu = 162;
constexpr int kProduction = 163;
constexpr int kProductionStart = 164;
constexpr int kProductionStop = 165;
// Outcomes as a log line words them (lower case), then as counters' captions.
constexpr int kOutcomeGood = 166;
constexpr int kOutcomeFailed = 167;
constexpr int kOutcomeInterrupted = 168;
constexpr int kCounterGood = 169;
constexpr int kCounterFailed = 170;
constexpr int kRecordFile = 171;
constexpr int kNoRecordFile = 172;
constexpr int kWaitingForCard = 173;
constexpr int kCardGoodLine = 174;
constexpr int kCardFailedLine = 175;
constexpr int kCardInterruptedLine = 176;
constexpr int kRunStarted = 177;
constexpr int kRunEnded = 178;
constexpr int kRecordNotWritten = 179;
constexpr int kChooseRecordFile = 180;
constexpr int kLastCard = 181;
// The tips of the production window's record file and count.
constexpr int kRecordFileTip = 182;
constexpr int kCountTip = 183;
// A language file of the user's that cannot be one (%1: the file), passed
// over for the shipped one, or with none to turn to.
constexpr int kLanguageFileReplaced = 184;
constexpr int kLanguageFileUnusable = 185;

} // namespace korvex::entries
