#include "catalogue/cfgrules.h"

#include "catalogue/carderrors.h"
#include "catalogue/cfgreader.h"
#include "catalogue/processorkind.h"
#include "images/picmap.h"
#include "support/textconv.h"

#include <algorithm>
#include <string>

namespace korvex {

namespace {

// One entry of a catalogue, checked field by field; the first fault ends
// the check with the file and line named.
class TEntryCheck {
public:
    TEntryCheck(const TPCardReader& reader, int entry) : reader_(reader), entry_(entry) {}

    void Fields(int needed, const char* names) const {
        const int fields = reader_.FieldCount(entry_);
        if (fields < needed) {
            Fail(std::to_string(fields) + (fields == 1 ? " field" : " fields") + " where " +
                 std::to_string(needed) + " are needed: " + names);
        }
    }
    void Name() const {
        if (reader_.GetField(entry_, 1).empty()) {
            Fail("the name is empty");
        }
    }
    // The number in `field`, which must lie in [low, high].
    int Number(int field, const char* what, int low, int high, const std::string& rule) const {
        const std::string text = Text(field);
        const auto value = TryStrToInt(text);
        if (!value || *value < low || *value > high) {
            Fail("the " + std::string(what) + " \"" + text + "\" " + rule);
        }
        return *value;
    }
    // A configuration word has 14 bits; a pattern's further bits would set
    // bits no card holds.
    void Pattern(int field) const {
        constexpr std::size_t kWordBits = 14;
        const std::string text = reader_.GetField(entry_, field);
        if (text.empty() || text.size() > kWordBits ||
            text.find_first_not_of("01xX") != std::string::npos) {
            Fail("field " + std::to_string(field) + " \"" + text +
                 "\" must be a bit pattern of 0, 1 and x, at most 14 bits long (a "
                 "configuration word has 14)");
        }
    }
    std::string Text(int field) const { return reader_.GetField(entry_, field); }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EErrorsInCfg(reader_.GetPath() + " line " + std::to_string(reader_.LineOf(entry_)) +
                           ": " + what);
    }

private:
    const TPCardReader& reader_;
    int entry_;
};

constexpr int kMax = 0x7FFFFFFF;
constexpr const char* kDigitKind = "must be a digit from 0 to 9 (PIC kinds 0 to 7, AVR kinds 8 "
                                   "and 9)";
constexpr const char* kEepromKind = "must be -1 (no EEPROM) or a digit from 0 to 9";

// How far the programmer's addresses reach. It sends none: after a mode
// select it walks one running address from 0 through the memory, so a size
// beyond what the memory's own addresses hold can never be written; the
// rest of it would go out as blank padding for minutes and fail. A PIC's
// program memory ends where its configuration words begin (word 0x2000),
// and its data EEPROM has one address byte; an AVR's program memory has a
// 16-bit word address and its EEPROM a 16-bit byte address.
constexpr int kPicProgramWords = static_cast<int>(kPicConfigAddress / 2);
constexpr int kPicDataBytes = 0x100;
constexpr int kAvrProgramWords = 0x10000;
constexpr int kAvrDataBytes = 0x10000;
// An external EEPROM's kind says how it is addressed: kind 1 by one address
// byte and three block bits of the device address (2 KiB, as a 24C16), any
// other by two address bytes (64 KiB).
constexpr int kOneByteEepromKind = 1;
constexpr int kOneByteEepromBytes = 0x800;
constexpr int kTwoByteEepromBytes = 0x10000;

int EepromReach(int kind) {
    return kind == kOneByteEepromKind ? kOneByteEepromBytes : kTwoByteEepromBytes;
}

// An AVR card identifies itself with three bytes, read as six hex digits:
// a text of any other shape matches no card, and every command would
// refuse every card as one of another kind.
void CheckIdentification(const TEntryCheck& check, int field, bool required) {
    const std::string text = check.Text(field);
    const bool hexDigits =
        text.size() == 6 && text.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
    if (!hexDigits && (required || !text.empty())) {
        check.Fail("the identification \"" + text + "\" in field " + std::to_string(field) +
                   " must be the six hex digits an AVR card identifies itself with");
    }
}

// The loader is found as defaults/<name>.hex: a name must not lead out of
// that folder.
void CheckLoaderName(const TEntryCheck& check) {
    const std::string name = check.Text(6);
    if (name.find_first_of("/\\") != std::string::npos || name.find("..") != std::string::npos) {
        check.Fail("the loader \"" + name +
                   "\" must be a name of a file in defaults/, without / or \\ or ..");
    }
}

void CheckProcessor(const TEntryCheck& check) {
    check.Fields(7, "name, kind, program size, EEPROM size, identification, loader, "
                    "configuration word set");
    check.Name();
    const bool avr = TProcessorKind(check.Number(2, "kind", 0, 9, kDigitKind)).IsAvr();
    if (avr) {
        check.Number(3, "program size", 1, kAvrProgramWords,
                     "must be from 1 to 65536 words: an AVR kind's 16-bit word addresses, on "
                     "which the programmer writes, reach no further");
        check.Number(4, "EEPROM size", 0, kAvrDataBytes,
                     "must be from 0 to 65536 bytes: an AVR kind's 16-bit EEPROM addresses "
                     "reach no further");
        CheckIdentification(check, 5, true);
        CheckIdentification(check, 8, false);
    } else {
        check.Number(3, "program size", 1, kPicProgramWords,
                     "must be from 1 to 8192 words: a PIC kind's configuration words begin at "
                     "word 0x2000, where the programmer's addresses leave its program memory");
        check.Number(4, "EEPROM size", 0, kPicDataBytes,
                     "must be from 0 to 256 bytes: a PIC kind's data EEPROM has one address "
                     "byte");
    }
    CheckLoaderName(check);
    check.Number(7, "configuration word set", 0, kMax,
                 "must be 0 (none) or the number of a set of configwords.cfg");
}

void CheckEeprom(const TEntryCheck& check) {
    check.Fields(4, "name, kind, size, AVR kind");
    check.Name();
    const int kind = check.Number(2, "kind", -1, 9, kEepromKind);
    const int avrKind = check.Number(4, "AVR kind", -1, 9, kEepromKind);
    if (kind == -1) {
        // "None" stands for a card without an EEPROM and has no size.
        check.Number(3, "size", 0, kMax, "must be a number of bytes, 0 or more");
        return;
    }
    const int reach = std::min(EepromReach(kind), avrKind == -1 ? kMax : EepromReach(avrKind));
    check.Number(3, "size", 1, reach,
                 reach == kOneByteEepromBytes
                     ? "must be from 1 to 2048 bytes: kind 1 has one address byte, which with "
                       "the three block bits of the device address reaches no further"
                     : "must be from 1 to 65536 bytes: two address bytes reach no further");
}

void CheckConfigWords(const TEntryCheck& check) {
    check.Fields(9, "set number and eight bit patterns");
    check.Number(1, "set number", 1, kMax, "must be a positive number");
    for (int field = 2; field <= 9; ++field) {
        check.Pattern(field);
    }
}

} // namespace

TCatalogueKind CatalogueKindOf(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    if (name == "pics.cfg") {
        return TCatalogueKind::ckPics;
    }
    if (name == "eeproms.cfg") {
        return TCatalogueKind::ckEeproms;
    }
    return name == "configwords.cfg" ? TCatalogueKind::ckConfigWords : TCatalogueKind::ckOther;
}

void CheckCatalogueEntries(const TPCardReader& reader, TCatalogueKind kind) {
    for (int entry = 1; entry <= reader.GetCount(); ++entry) {
        const TEntryCheck check(reader, entry);
        switch (kind) {
        case TCatalogueKind::ckPics:
            CheckProcessor(check);
            break;
        case TCatalogueKind::ckEeproms:
            CheckEeprom(check);
            break;
        case TCatalogueKind::ckConfigWords:
            CheckConfigWords(check);
            break;
        case TCatalogueKind::ckOther:
            return;
        }
    }
}

} // namespace korvex
