#include "catalogue/cfgrules.h"

#include "catalogue/carderrors.h"
#include "catalogue/cfgreader.h"
#include "support/textconv.h"

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
        const std::string text = reader_.GetField(entry_, field);
        const auto value = TryStrToInt(text);
        if (!value || *value < low || *value > high) {
            Fail("the " + std::string(what) + " \"" + text + "\" " + rule);
        }
        return *value;
    }
    void Pattern(int field) const {
        const std::string text = reader_.GetField(entry_, field);
        if (text.empty() || text.find_first_not_of("01xX") != std::string::npos) {
            Fail("field " + std::to_string(field) + " \"" + text +
                 "\" must be a bit pattern of 0, 1 and x");
        }
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EErrorsInCfg(reader_.GetPath() + " line " + std::to_string(reader_.LineOf(entry_)) +
                           ": " + what);
    }

    const TPCardReader& reader_;
    int entry_;
};

constexpr int kMax = 0x7FFFFFFF;
constexpr const char* kDigitKind = "must be a digit from 0 to 9 (PIC kinds 0 to 7, AVR kinds 8 "
                                   "and 9)";
constexpr const char* kEepromKind = "must be -1 (no EEPROM) or a digit from 0 to 9";

void CheckProcessor(const TEntryCheck& check) {
    check.Fields(7, "name, kind, program size, EEPROM size, identification, loader, "
                    "configuration word set");
    check.Name();
    check.Number(2, "kind", 0, 9, kDigitKind);
    check.Number(3, "program size", 1, kMax, "must be a positive number of words");
    check.Number(4, "EEPROM size", 0, kMax, "must be a number of bytes, 0 or more");
    check.Number(7, "configuration word set", 0, kMax,
                 "must be 0 (none) or the number of a set of configwords.cfg");
}

void CheckEeprom(const TEntryCheck& check) {
    check.Fields(4, "name, kind, size, AVR kind");
    check.Name();
    const int kind = check.Number(2, "kind", -1, 9, kEepromKind);
    // "None" stands for a card without an EEPROM and has no size.
    check.Number(3, "size", kind == -1 ? 0 : 1, kMax,
                 kind == -1 ? "must be a number of bytes, 0 or more"
                            : "must be a positive number of bytes");
    check.Number(4, "AVR kind", -1, 9, kEepromKind);
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
