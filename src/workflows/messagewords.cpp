#include "workflows/messagewords.h"

#include "support/errors.h"
#include "support/lang.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"

#include <regex>
#include <vector>

namespace korvex {

namespace {

constexpr unsigned Arg(int n) {
    return 1u << (n - 1);
}

// A message by its entry, and which of its %N are messages of their own.
struct TShape {
    int entry;
    unsigned worded;
};

// The more particular patterns first: "Last %1 does not fit ..." before
// "%1 does not fit ...", "Serial field %1 (%2 bytes ..." before "Serial
// field %1: %2".
constexpr TShape kShapes[] = {
    {entries::kSerialLastDoesNotFit, 0},
    {entries::kSerialDoesNotFit, 0},
    {entries::kSerialNotDigits, Arg(2)},
    {entries::kSerialDigitsExactly, 0},
    {entries::kSerialDigitsTooMany, 0},
    {entries::kHexadecimal, 0},
    {entries::kDecimal, 0},
    {entries::kSerialNoSuchMemory, Arg(2) | Arg(5)},
    {entries::kSerialOutsideMemory, Arg(2)},
    {entries::kSerialCoversData, Arg(2)},
    {entries::kMemoryExternalEeprom, 0},
    {entries::kMemoryInternalEeprom, 0},
    {entries::kMemoryProgram, 0},
    {entries::kSerialWordTooBig, 0},
    {entries::kSerialListUsedUp, 0},
    {entries::kSerialCounterUsedUp, 0},
    {entries::kFieldLengthZero, 0},
    {entries::kFieldPastAddresses, 0},
    {entries::kFieldListNoFile, 0},
    {entries::kFieldStepZero, 0},
    {entries::kFieldFirstAboveLast, 0},
    {entries::kFieldKeyMissing, 0},
    {entries::kFieldNoNumber, 0},
    {entries::kFieldNoneOf, 0},
    {entries::kFieldUnknownKey, 0},
    {entries::kFieldListAndCounter, 0},
    {entries::kFieldSharesBytes, 0},
    {entries::kFieldBadName, 0},
    {entries::kFieldNoColon, 0},
    {entries::kFieldNoKeyValue, 0},
    {entries::kFieldNone, 0},
    {entries::kNoSuchSerialField, 0},
    {entries::kHexNoColon, 0},
    {entries::kHexNotDigit, 0},
    {entries::kHexTooShort, 0},
    {entries::kHexShorterThanCount, 0},
    {entries::kHexLongerThanCount, 0},
    {entries::kHexChecksum, 0},
    {entries::kHexAddressRecord, 0},
    {entries::kHexRecordType, 0},
    {entries::kHexNoData, 0},
    {entries::kHexNoEnd, 0},
    {entries::kImageBeyond, 0},
    {entries::kImageAvrEeprom, 0},
    {entries::kBinaryTooBig, 0},
    {entries::kBinaryPartTooBig, 0},
    {entries::kFitBeyondMemory, Arg(2)},
    {entries::kFitGap, 0},
    {entries::kFitDataEeprom, 0},
    {entries::kFitWord, 0},
    {entries::kIsDevice, 0},
    {entries::kIsFifo, 0},
    {entries::kIsSocket, 0},
    {entries::kIsFolderNotFile, 0},
    {entries::kNotRegularFile, 0},
    {entries::kPermissionDenied, 0},
    {entries::kNotInteger, 0},
    {entries::kCardNameUnusable, Arg(2)},
    {entries::kNameEmpty, 0},
    {entries::kNameControl, 0},
    {entries::kNameSlash, 0},
    {entries::kNameDots, 0},
    {entries::kNameBlank, 0},
    {entries::kNameTooLong, 0},
    {entries::kUnableToWrite, 0},
    {entries::kCannotWrite, Arg(1)},
    {entries::kCannotCreateFile, Arg(2)},
    {entries::kNoSpaceLeft, 0},
    {entries::kReadOnlyFileSystem, 0},
    {entries::kCannotOpenPort, Arg(2)},
    {entries::kCannotStartPort, Arg(2)},
    {entries::kNoSuchDeviceNone, 0},
    {entries::kNoSuchDevice, 0},
    {entries::kPortPermission, 0},
    {entries::kPortInUse, 0},
    {entries::kPortNotSerial, 0},
    {entries::kPortCannotOpen, Arg(2)},
    {entries::kRecordUnreadable, Arg(1)},
    {entries::kNotARecord, 0},
    {entries::kRecordReadOnly, 0},
    {entries::kRecordNoFolder, 0},
    {entries::kRecordFolderUnwritable, Arg(1)},
    {entries::kRecordNotAdded, Arg(1)},
    {entries::kDriverReadPicFailed, 0},
    {entries::kDriverWriteCardFailed, 0},
    // A frame of other messages: after every message that starts as it does.
    {entries::kSerialFieldSays, Arg(2)},
    {entries::kNoSuchFile, 0},
    {entries::kIsFolder, 0},
    {entries::kRoleEeprom, 0},
    {entries::kRoleIntEeprom, 0},
};

// What a file or a field says after its name: "<file>: <message>",
// "<file>:<line>: <message>", "<file> [<section>]: <message>".
constexpr std::string_view kNamedFrame = "%1: %2";

struct TPattern {
    std::regex match;
    std::vector<int> order; // the number of each %N in the order they stand
};

// A value (a name, a number) never holds ": ", which starts what a message
// says about it; a message in a message may hold anything.
TPattern PatternOf(std::string_view english, unsigned worded) {
    TPattern pattern;
    std::string expression = "^";
    for (std::size_t at = 0; at < english.size(); ++at) {
        const char c = english[at];
        const char next = at + 1 < english.size() ? english[at + 1] : '\0';
        if (c == '%' && next >= '1' && next <= '9') {
            const int n = next - '0';
            expression += (worded & Arg(n)) != 0 ? "([\\s\\S]*?)" : "((?:(?!: )[\\s\\S])*?)";
            pattern.order.push_back(n);
            ++at;
        } else if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
            expression += '\\';
            expression += c;
        } else {
            expression += c;
        }
    }
    pattern.match = std::regex(expression + "$");
    return pattern;
}

struct TKnownShape {
    TShape shape;
    TPattern pattern;
};

// The patterns come from the English built into the program, whatever
// language is loaded: that is how the layers below word their messages.
const std::vector<TKnownShape>& KnownShapes() {
    static const std::vector<TKnownShape> shapes = [] {
        const TPLang english;
        std::vector<TKnownShape> known;
        for (const TShape& shape : kShapes) {
            known.push_back({shape, PatternOf(english.GetText(shape.entry), shape.worded)});
        }
        return known;
    }();
    return shapes;
}

std::string Worded(const TPLang& lang, const std::string& english, int depth);

// The message's values, worded where they are messages themselves.
std::vector<std::string> Values(const TPLang& lang, const std::smatch& found,
                                const TPattern& pattern, unsigned worded, int depth) {
    int count = 0;
    for (const int n : pattern.order) {
        count = std::max(count, n);
    }
    std::vector<std::string> values(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < pattern.order.size(); ++i) {
        const int n = pattern.order[i];
        const std::string value = found[static_cast<int>(i) + 1].str();
        values[static_cast<std::size_t>(n - 1)] =
            (worded & Arg(n)) != 0 ? Worded(lang, value, depth + 1) : value;
    }
    return values;
}

std::string Worded(const TPLang& lang, const std::string& english, int depth) {
    // Messages nest a few deep at most; a deeper one is not taken apart.
    constexpr int kDeepest = 4;
    if (depth > kDeepest || english.empty()) {
        return english;
    }
    std::smatch found;
    for (const TKnownShape& known : KnownShapes()) {
        if (std::regex_match(english, found, known.pattern.match)) {
            return FillIn(lang.GetText(known.shape.entry),
                          Values(lang, found, known.pattern, known.shape.worded, depth));
        }
    }
    static const TPattern named = PatternOf(kNamedFrame, Arg(2));
    if (std::regex_match(english, found, named.match)) {
        const std::string rest = found[2].str();
        const std::string worded = Worded(lang, rest, depth + 1);
        if (worded != rest) {
            return found[1].str() + ": " + worded;
        }
    }
    return english;
}

} // namespace

std::string WordedMessage(const TPLang& lang, std::string_view english) {
    return Worded(lang, std::string(english), 0);
}

std::string WordedError(const TPLang& lang, const std::exception& error) {
    if (const auto* io = dynamic_cast<const EInOutError*>(&error); io && !io->Path().empty()) {
        return io->Path() + ": " + WordedMessage(lang, io->what());
    }
    return WordedMessage(lang, error.what());
}

} // namespace korvex
