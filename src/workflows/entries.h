#pragma once

// Every language entry the program uses, by name: entry N is line N (from 0)
// of a language file. The caption tables map controls to these names; every
// message, status and question is shown through them.
namespace korvex::entries {

// --- captions of the main window
constexpr int kCardTypeGroup = 0;
constexpr int kCardPropertiesGroup = 1;
constexpr int kSimpleTab = 2;
constexpr int kAdvancedTab = 3;
constexpr int kLockTab = 4;
constexpr int kProgramRowLabel = 5;
constexpr int kEepromRowLabel = 6;
constexpr int kIntEepromRowLabel = 7;
constexpr int kNoFile = 8; // a row's status without a usable file
constexpr int kReadButton = 9;
constexpr int kWriteButton = 10;
constexpr int kVerifyButton = 11;
constexpr int kEraseButton = 12;
// The status panel, one per programmer state.
constexpr int kNotConnected = 13;
constexpr int kCardNotReady = 14;
constexpr int kCardReady = 15;
constexpr int kLockButton = 16;
constexpr int kFileMenu = 17;
constexpr int kLoadPicFileMenu = 18;
constexpr int kLoadIntEepromMenu = 19;
constexpr int kLoadEepromFileMenu = 20;
constexpr int kFirmwareMenu = 21;
constexpr int kExitMenu = 22;
constexpr int kEditMenu = 23;
constexpr int kSetupMenu = 24;
constexpr int kLanguageMenu = 25;
constexpr int kHelpMenu = 26;
constexpr int kIndexMenu = 27;
constexpr int kBugReportMenu = 28;
constexpr int kAboutMenu = 29;
constexpr int kPortMenu = 30;
constexpr int kOfflineMenu = 31;
constexpr int kOptionsMenu = 32;
constexpr int kAddCardTypeMenu = 33;
constexpr int kEditCardTypeMenu = 34;
constexpr int kDeleteCardTypeMenu = 35;
constexpr int kAutoProgramMenu = 36;
constexpr int kEraseEepromMenu = 37;
constexpr int kVerifyEepromMenu = 38;
constexpr int kWriteEepromMenu = 39;
constexpr int kReadEepromMenu = 40;
constexpr int kEnabled = 41;
constexpr int kDisabled = 42;
// The about box.
constexpr int kAboutFirmware = 43;
constexpr int kAboutSoftware = 44;

// --- the options dialog
constexpr int kOptionAutoWriteEeprom = 45;
constexpr int kOptionAutoVerifyEeprom = 46;
constexpr int kOptionAutoWritePic = 47;
constexpr int kOptionAutoVerifyPic = 48;
constexpr int kOptionAutoCaption = 49;
constexpr int kOptionAutoTab = 50;
constexpr int kOptionCancel = 51;
constexpr int kOptionOk = 52;
constexpr int kOptionWriteTab = 53;
constexpr int kOptionWritePic = 54;
constexpr int kOptionVerifyPic = 55;
constexpr int kOptionPicCaption = 56;
constexpr int kOptionEepromCaption = 57;
constexpr int kOptionWriteEeprom = 58;
constexpr int kOptionVerifyEeprom = 59;

// --- the card type dialogs: add (60 to 67) and edit (68 to 75)
constexpr int kAddCaption = 60;
constexpr int kAddCardName = 61;
constexpr int kAddDescription = 62;
constexpr int kAddProcessor = 63;
constexpr int kAddEeprom = 64;
constexpr int kAddNote = 65;
constexpr int kAddCreate = 66;
constexpr int kAddCancel = 67;
constexpr int kEditCaption = 68;
constexpr int kEditCardName = 69;
constexpr int kEditDescription = 70;
constexpr int kEditProcessor = 71;
constexpr int kEditEeprom = 72;
constexpr int kEditNote = 73;
constexpr int kEditOk = 74;
constexpr int kEditCancel = 75;
// The delete question: "<76> <name>\r\n<77> ?".
constexpr int kDeleteCardType = 76;
constexpr int kAreYouSure = 77;

// --- the firmware query and the help menu
constexpr int kFirmwareVersion = 78;
constexpr int kFirmwareTitle = 79;
constexpr int kHelpDocument = 80;

// --- why a command does not start
constexpr int kCardNotInserted = 81;
constexpr int kProgrammerNotConnected = 82;
constexpr int kNoExternalEeprom = 83;

// --- the external EEPROM: questions, steps and ends
constexpr int kAskReadEeprom = 84;
constexpr int kAskVerifyEeprom = 85;
constexpr int kWritingLoader = 86;
constexpr int kReadingEeprom = 87;
constexpr int kEepromNotRead = 88;
constexpr int kAskWriteEeprom = 89;
constexpr int kWritingEeprom = 90;
constexpr int kEepromWriteFailed = 91;
constexpr int kVerifyingEeprom = 92;
constexpr int kErasingEeprom = 95;
constexpr int kEepromErased = 96;
constexpr int kAskEraseEeprom = 97;

// --- verify results, for every memory
constexpr int kVerifyFailed = 98;
constexpr int kVerifyOk = 99;
constexpr int kEepromWritten = 100;

// --- captions naming the processor's memory, PIC family (101 to 107) and
// AVR family (109 to 116)
constexpr int kPicReadMenu = 101;
constexpr int kPicWriteMenu = 102;
constexpr int kPicVerifyMenu = 103;
constexpr int kPicEraseMenu = 104;
constexpr int kPicRowLabel = 105;
constexpr int kPicLoadMenu = 106;
constexpr int kPicItem = 107;
constexpr int kAvrWriteItem = 109;
constexpr int kAvrItem = 110;
constexpr int kAvrReadMenu = 111;
constexpr int kAvrWriteMenu = 112;
constexpr int kAvrVerifyMenu = 113;
constexpr int kAvrEraseMenu = 114;
constexpr int kAvrRowLabel = 115;
constexpr int kAvrLoadMenu = 116;

// --- the processor
constexpr int kWrongDevice = 117;
constexpr int kNotConnectedOrNoCard = 119;
constexpr int kLockCardNotReady = 120;
constexpr int kFileFound = 121; // a row's status with its file loaded
constexpr int kReadingFlash = 122;
constexpr int kReadingPic = 123;
constexpr int kWritingFlash = 124;
constexpr int kWritingPic = 125;
constexpr int kVerifyingPic = 126;
constexpr int kVerifyingFlash = 127;
constexpr int kVerifyAfterWriteFailed = 128;
constexpr int kPicWritten = 130;
constexpr int kErasingFlash = 131;
constexpr int kErasingPic = 132;
constexpr int kFlashWritten = 133;
constexpr int kAutoFinished = 134;
constexpr int kLockingCard = 135;
constexpr int kLockNotConfirmed = 136;
constexpr int kFirmwareTooOld = 137;
constexpr int kBugReportAddress = 138;
constexpr int kDefaultLoader = 139; // the loader field's text for the default loader
constexpr int kFirmwareUnsuitable = 140;

// --- why a command did not start or did not finish
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

// --- files a command cannot use, and why: "%1" the row, "%2" the file,
// "%3" one of the reasons after it, or the error reading the file gave;
// "%4" the file's role (kRole...)
constexpr int kRowUnusable = 184;
constexpr int kNoSuchFile = 185;
constexpr int kNotImageFile = 186;
constexpr int kIsFolder = 187;
// --- options that leave a command nothing sound to do
constexpr int kWritePicNothingToDo = 188;
constexpr int kWriteEepromNothingToDo = 189;
constexpr int kAutoNothingToDo = 190;
constexpr int kLoaderWouldStay = 191;
constexpr int kLockWithoutWrite = 192;
// --- steps the programmer did not confirm
constexpr int kEraseNotConfirmed = 193;
constexpr int kLoaderNotWritten = 194;
// A production run whose options leave a named eeprom file out.
constexpr int kEepromFileLeftOut = 195;
// The second line of a verify that found the configuration word differing.
constexpr int kDifferenceConfig = 196;

// A language file that cannot be one (%1: the file; %2 why, one of the
// kLanguageFault entries), passed over for the shipped one, or with the
// language kept as it was.
constexpr int kLanguageFileReplaced = 197;
constexpr int kLanguageFileUnusable = 198;
// Where the line of a card the record would not take went instead: a file
// (%1), or, when none would take it either, the line itself (%1).
constexpr int kCardLineKeptIn = 199;
constexpr int kCardLineNotKept = 200;
// The step a card failed at when its serial values could not be had, as the
// steps from kFirstFailStep on word theirs.
constexpr int kSerialStep = 201;
// The values a card got, one field: "%1 %2" (the field and its value).
constexpr int kSerialValue = 202;
// A production run that cannot reach the shared database: the database
// (without any password) and why follow.
constexpr int kDatabaseUnreachable = 203;
// The shared record could not take the card's line, or a claim could not be
// kept: the run ends after the card in hand; why follows.
constexpr int kDatabaseLost = 204;
// Serial values go to a card only with a write of the memory they go to.
constexpr int kSerialNeedsWrite = 205;

// --- the titles of the message boxes, by their kind, and of a question
constexpr int kErrorTitle = 206;
constexpr int kWarningTitle = 207;
constexpr int kInformationTitle = 208;
constexpr int kConfirmTitle = 209;
// The Fuses tab of a card type whose fuses are not set in the window.
constexpr int kNoFuseChoices = 210;
// A step that failed on a line gone quiet: since when (%1, the time of day)
// and what went unanswered (%2); or on a port whose device is gone (%1 the
// port, %2 what failed).
constexpr int kProgrammerSilent = 211;
constexpr int kPortGone = 212;
// The pause between blocks asked for lies outside what the log panel takes.
constexpr int kDelayOutOfRange = 213;
// --- the production window: a Stop pressed with a card in hand, the card in
// hand (%1 its number, %2 the step), the shared database and the station
constexpr int kStoppingAfterCard = 214;
constexpr int kCardInHand = 215;
constexpr int kDatabase = 216;
constexpr int kStation = 217;
constexpr int kDatabaseTip = 218;
// The options dialog's bound on the steps tried again (Line/StepRetries).
constexpr int kStepRetries = 219;
// The Setup menu's speed menu.
constexpr int kSpeedMenu = 220;
// --- the card type dialog's serial number fields: the group, its buttons,
// the field's own dialog and its labels, and the table's column of values
constexpr int kSerialFields = 221;
constexpr int kSerialAdd = 222;
constexpr int kSerialChange = 223;
constexpr int kSerialRemove = 224;
constexpr int kSerialFieldCaption = 225;
constexpr int kSerialName = 226;
constexpr int kSerialMemory = 227;
constexpr int kSerialAddress = 228;
constexpr int kSerialLength = 229;
constexpr int kSerialFormat = 230;
constexpr int kSerialCounter = 231;
constexpr int kSerialListFile = 232;
constexpr int kSerialFirst = 233;
constexpr int kSerialIncrement = 234;
constexpr int kSerialLast = 235;
constexpr int kSerialValues = 236;
// The read-back window after a save: where (%1) it went.
constexpr int kReadBackSaved = 237;
// Auto program asked to lock a card its options do not write.
constexpr int kAutoLockWithoutWrite = 238;

// --- a step that failed or is tried again by a fault on the line
// The step, as a try again and a failure name it: the first six are worded
// as the steps a production run fails at.
constexpr int kStepIdentification = kFirstFailStep + 1;
constexpr int kStepLoader = kFirstFailStep + 2;
constexpr int kStepEepromWrite = kFirstFailStep + 3;
constexpr int kStepEepromVerify = kFirstFailStep + 4;
constexpr int kStepProcessorWrite = kFirstFailStep + 5;
constexpr int kStepProcessorVerify = kFirstFailStep + 6;
constexpr int kStepConfigWord = 239;
constexpr int kStepConfigWordVerify = 240;
constexpr int kStepLock = 241;
constexpr int kStepRead = 242;
constexpr int kStepErase = 243;
// The remark of a try again: the step (%1), the fault (%2), the try about to
// run (%3) of how many there may be (%4).
constexpr int kStepTriedAgain = 244;
// The fault, by its kind, at the frame (%1) as kFramePacket on word it.
constexpr int kFaultNoAnswer = 245;
constexpr int kFaultSpoiled = 246;
constexpr int kFaultRefused = 247;
constexpr int kFaultNoCard = 248;
constexpr int kFaultAborted = 249;
// The frame that failed: a write packet or a read block (%1 its number), a
// single frame, or the operation as a whole; any other frame by its letter
// (%1). Each is worded to stand in every kFault entry above.
constexpr int kFramePacket = 250;
constexpr int kFrameBlock = 251;
constexpr int kFrameModeSelect = 252;
constexpr int kFrameLock = 253;
constexpr int kFrameErase = 254;
constexpr int kFrameTransfer = 255;
constexpr int kFrameOther = 256;
// A verify whose read-back the line cut short for good.
constexpr int kVerifyNotReadWhole = 257;
// A step (%1) that failed for good on the line, by its last try's fault (%2).
constexpr int kStepFailedOnLine = 258;
// A production run whose port (%1) went away before card %2.
constexpr int kRunLinePortGone = 259;

// A language file (%1) that cannot be used, and why (%2), when no file of its
// name can: the English built into the program stands in.
constexpr int kLanguageFileBuiltIn = 260;
// Why a language file cannot be used: empty, not text, ending at line %1
// short of the %2 entries, line %1 one more than the %2 entries, or a line
// (%1) split by a carriage return inside it.
constexpr int kLanguageFaultEmpty = 261;
constexpr int kLanguageFaultNotText = 262;
constexpr int kLanguageFaultShort = 263;
constexpr int kLanguageFaultLong = 264;
constexpr int kLanguageFaultSplitLine = 265;
// What a file row's file is for, in a sentence about it.
constexpr int kRoleProgram = 266;
constexpr int kRoleEeprom = 267;
constexpr int kRoleIntEeprom = 268;
constexpr int kRoleLoader = 269;
// The command-line tool's words for the messages above that send the user
// to the window's rows, menus and options (workflows/presenter/facewords.h).
constexpr int kCliProgrammerNotConnected = 270;
constexpr int kCliFirmwareTooOld = 271;
constexpr int kCliFirmwareUnsuitable = 272;
constexpr int kCliNothingToVerifyProgram = 273;
constexpr int kCliNothingToVerifyEeprom = 274;
constexpr int kCliNoProgramImage = 275;
constexpr int kCliNoEepromImage = 276;
// %4 the file's role (kRole...), %2 the file, %3 why it cannot be used.
constexpr int kCliRowUnusable = 277;
constexpr int kCliWritePicNothingToDo = 278;
constexpr int kCliWriteEepromNothingToDo = 279;
constexpr int kCliAutoNothingToDo = 280;
constexpr int kCliLoaderWouldStay = 281;
constexpr int kCliLockWithoutWrite = 282;
constexpr int kCliEepromFileLeftOut = 283;
constexpr int kCliSerialNeedsWrite = 284;
constexpr int kCliPortGone = 285;
constexpr int kCliAutoLockWithoutWrite = 286;
// A production run whose database connection string is refused unread or for
// the password it holds: why follows (without the password).
constexpr int kDatabaseUriRefused = 287;
// A run with a shared database but no record file: the local record is the database's outbox.
constexpr int kDatabaseNeedsRecord = 288;
// A shared database that was reached but cannot serve the run (a counter behind
// the station's own claims, say); why follows.
constexpr int kDatabaseRefused = 289;
// The journal of the card in hand cannot be read or written: before the run
// starts, or (kJournalNotWritten) during it; why follows.
constexpr int kJournalUnusable = 290;
constexpr int kJournalNotWritten = 291;
// A run that starts with the last run's good card still in the slot waits
// for it to be taken out: %1 its serial values, or kCardNumber.
constexpr int kCardLeftInSlot = 292;
constexpr int kCardNumber = 293;
// The line of the last run's card (%1 its sequence), written at the start from
// the journal into the record (%2).
constexpr int kLineRecovered = 294;
// A field (%1) of a card type (%2) whose counter the database started after the
// station's own last value (%3).
constexpr int kCounterStartsAfter = 295;
// The shared database went away mid-run (%1: why), or came back (%1: the
// lines sent then); kValuesHeld says what the station holds meanwhile.
constexpr int kDatabaseAway = 296;
constexpr int kDatabaseBack = 297;
constexpr int kValuesHeld = 298;
// At the start: lines of the local record (%1 of them) the database lacked.
constexpr int kLinesSent = 299;
// The command-line tool's words for kDatabaseNeedsRecord.
constexpr int kCliDatabaseNeedsRecord = 300;
// The log panel's check box that leaves the card-state polls out.
constexpr int kHidePolls = 301;
// The Advanced tab's groups and the Lock tab's group, by their fuse.
constexpr int kWatchDogGroup = 302;
constexpr int kPowerUpGroup = 303;
constexpr int kProtectionGroup = 304;
constexpr int kOscillatorGroup = 305;
constexpr int kLockGroup = 306;
// The tab of an AVR's fuses and the loader's row.
constexpr int kFusesTab = 307;
constexpr int kLoaderRowLabel = 308;
// The log panel's frame, the tips of the log's picture, the production
// button and the delay, and the file rows' hint and buttons.
constexpr int kLogGroup = 309;
constexpr int kLogPictureTip = 310;
constexpr int kProductionTip = 311;
constexpr int kDelayTip = 312;
constexpr int kFileFieldHint = 313;
constexpr int kOpenFileTip = 314;
constexpr int kViewFileTip = 315;
// The hex view windows: their title, their buttons and the save dialog's title.
constexpr int kHexViewCaption = 316;
constexpr int kSaveButton = 317;
constexpr int kCloseButton = 318;
constexpr int kSaveAsTitle = 319;
// The buttons of the message boxes and questions.
constexpr int kYes = 320;
constexpr int kNo = 321;
constexpr int kOk = 322;
// A processor (%1) or an EEPROM (%1) typed into a card type dialog that the
// catalogue does not list, with the names it most likely meant (%1, one or
// more) or without.
constexpr int kUnknownProcessor = 323;
constexpr int kUnknownEeprom = 324;
constexpr int kCloseNames = 325;
constexpr int kNoCloseNames = 326;

// --- the file, catalogue and serial layers' messages, which they word in
// English, each as a pattern (workflows/messagewords.h): a serial field's
// values and places, its definition, HEX records, images that do not fit,
// files that are no files, card type names
constexpr int kSerialFieldSays = 327;
constexpr int kSerialLastDoesNotFit = 328;
constexpr int kSerialDoesNotFit = 329;
constexpr int kSerialNotDigits = 330;
constexpr int kSerialDigitsExactly = 331;
constexpr int kSerialDigitsTooMany = 332;
constexpr int kHexadecimal = 333;
constexpr int kDecimal = 334;
constexpr int kSerialNoSuchMemory = 335;
constexpr int kSerialOutsideMemory = 336;
constexpr int kSerialCoversData = 337;
constexpr int kMemoryExternalEeprom = 338;
constexpr int kMemoryInternalEeprom = 339;
constexpr int kMemoryProgram = 340;
constexpr int kSerialWordTooBig = 341;
constexpr int kSerialListUsedUp = 342;
constexpr int kSerialCounterUsedUp = 343;
constexpr int kFieldLengthZero = 344;
constexpr int kFieldPastAddresses = 345;
constexpr int kFieldListNoFile = 346;
constexpr int kFieldStepZero = 347;
constexpr int kFieldFirstAboveLast = 348;
constexpr int kFieldKeyMissing = 349;
constexpr int kFieldNoNumber = 350;
constexpr int kFieldNoneOf = 351;
constexpr int kFieldUnknownKey = 352;
constexpr int kFieldListAndCounter = 353;
constexpr int kFieldSharesBytes = 354;
constexpr int kFieldBadName = 355;
constexpr int kFieldNoColon = 356;
constexpr int kFieldNoKeyValue = 357;
constexpr int kFieldNone = 358;
constexpr int kNoSuchSerialField = 359;
constexpr int kHexNoColon = 360;
constexpr int kHexNotDigit = 361;
constexpr int kHexTooShort = 362;
constexpr int kHexShorterThanCount = 363;
constexpr int kHexLongerThanCount = 364;
constexpr int kHexChecksum = 365;
constexpr int kHexAddressRecord = 366;
constexpr int kHexRecordType = 367;
constexpr int kHexNoData = 368;
constexpr int kHexNoEnd = 369;
constexpr int kImageBeyond = 370;
constexpr int kImageAvrEeprom = 371;
constexpr int kBinaryTooBig = 372;
constexpr int kBinaryPartTooBig = 373;
constexpr int kFitBeyondMemory = 374;
constexpr int kFitGap = 375;
constexpr int kFitDataEeprom = 376;
constexpr int kFitWord = 377;
constexpr int kIsDevice = 378;
constexpr int kIsFifo = 379;
constexpr int kIsSocket = 380;
constexpr int kIsFolderNotFile = 381;
constexpr int kNotRegularFile = 382;
constexpr int kPermissionDenied = 383;
constexpr int kNotInteger = 384;
constexpr int kCardNameUnusable = 385;
constexpr int kNameEmpty = 386;
constexpr int kNameControl = 387;
constexpr int kNameSlash = 388;
constexpr int kNameDots = 389;
constexpr int kNameBlank = 390;
constexpr int kNameTooLong = 391;
constexpr int kUnableToWrite = 392;
constexpr int kCannotWrite = 393;
constexpr int kCannotCreateFile = 394;
constexpr int kNoSpaceLeft = 395;
constexpr int kReadOnlyFileSystem = 396;
// A port that cannot be opened: the window's status strip words it so too.
constexpr int kCannotOpenPort = 397;
constexpr int kCannotStartPort = 398;
constexpr int kNoSuchDeviceNone = 399;
constexpr int kNoSuchDevice = 400;
constexpr int kPortPermission = 401;
constexpr int kPortInUse = 402;
constexpr int kPortNotSerial = 403;
constexpr int kPortCannotOpen = 404;
// A card type asked for by a name none has (%1), and the card types there
// are (%2), or none.
constexpr int kNoCardTypeNamed = 405;
constexpr int kNoCardTypes = 406;
// A production record that cannot be read, is none, or cannot be written.
constexpr int kRecordUnreadable = 407;
constexpr int kNotARecord = 408;
constexpr int kRecordReadOnly = 409;
constexpr int kRecordNoFolder = 410;
constexpr int kRecordFolderUnwritable = 411;
constexpr int kRecordNotAdded = 412;
// A programmer of a run with several (%1 its port) that has not answered for
// %2 seconds: its slot ends.
constexpr int kRunProgrammerSilent = 472;

// The production window's tabs: the run, and the charts of a record.
constexpr int kRunTab = 413;
constexpr int kChartsTab = 414;
// The charts' choices: where the record is read from, which cards, which
// station; the range's times are typed as `records --since/--until` takes them.
constexpr int kChartSource = 415;
constexpr int kChartFromRecord = 416;
constexpr int kChartFromDatabase = 417;
constexpr int kChartSpan = 418;
constexpr int kChartThisRun = 419;
constexpr int kChartToday = 420;
constexpr int kChartChosenRange = 421;
constexpr int kChartSince = 422;
constexpr int kChartUntil = 423;
constexpr int kChartRangeTip = 424;
constexpr int kChartAllStations = 425;
constexpr int kChartRefresh = 426;
// What the charts tab says instead of, or beside, its charts.
constexpr int kChartReading = 427;
// The charts' titles.
constexpr int kChartCardsPerHour = 428;
constexpr int kChartCardsPerDay = 429;
constexpr int kChartFailuresByStep = 430;
constexpr int kChartFirstPassYield = 431;
// The totals under the choices: the cards (%1..%4), the yield and first-pass
// yield, the cards an hour.
constexpr int kChartTally = 432;
constexpr int kChartYield = 433;
constexpr int kChartPace = 434;
constexpr int kChartNoCards = 435;
constexpr int kChartNoRun = 436;
constexpr int kChartNoRecord = 437;
constexpr int kChartNoDatabase = 438;
constexpr int kChartNoTime = 439;
constexpr int kChartEmptyRange = 440;
constexpr int kChartRecordUnreadable = 441;
constexpr int kChartDatabaseUnreadable = 442;
constexpr int kChartUndated = 443;
constexpr int kChartNoStep = 444;
// The mark between the whole and the tenths of the charts' shares and pace.
constexpr int kChartDecimalMark = 445;
// The result line of a card command: %1 what it said and found, %2 its
// seconds; what it wrote, verified and gave the card.
constexpr int kResultTook = 446;
constexpr int kResultWrittenVerified = 447;
constexpr int kResultWritten = 448;
constexpr int kResultVerified = 449;
constexpr int kResultConfigWord = 450;
constexpr int kResultLocked = 451;
constexpr int kResultSerials = 452;
constexpr int kMemoryEeprom = 453;
// The status strip on the built-in simulator: %1 and %2 the menus that
// choose the real programmer.
constexpr int kSimulatorHint = 454;
// The production slot's state, large; %1 the step of the card in hand.
constexpr int kSlotPutCardIn = 455;
constexpr int kSlotProgramming = 456;
constexpr int kSlotTakeCardOut = 457;
constexpr int kSlotStopped = 458;
// The production window's yield, rate and recent cards.
constexpr int kFirstPassYield = 459;
constexpr int kCardsPerHour = 460;
constexpr int kRecentCards = 461;
constexpr int kColumnTime = 462;
constexpr int kColumnCard = 463;
constexpr int kColumnOutcome = 464;
constexpr int kColumnStep = 465;
constexpr int kColumnDifference = 466;
constexpr int kColumnSerials = 467;
constexpr int kSerialsInHand = 468;
// A run that stopped on a problem, in the view: %1 the problem.
constexpr int kRunStoppedBecause = 469;
// The driver's own failure boxes, worded in the language in use.
constexpr int kDriverReadPicFailed = 470;
constexpr int kDriverWriteCardFailed = 471;

// A programmer of a run with several (%1 its port) that failed %2 cards in a
// row on the line (%3 its last fault): its slot ends.
constexpr int kRunProgrammerFailing = 473;
// The production window's list of programmers to run, and its tip.
constexpr int kProductionPorts = 474;
constexpr int kProductionPortsTip = 475;
// Why the main window cannot open a port a production run drives.
constexpr int kPortInProductionRun = 476;
// A slot that stopped, and why (%1).
constexpr int kSlotStoppedBecause = 477;
// The caption of the counts over every slot.
constexpr int kAllSlots = 478;
// A slot whose programmer could not be opened (%1 its port, %2 why).
constexpr int kSlotNotStarted = 479;

} // namespace korvex::entries
