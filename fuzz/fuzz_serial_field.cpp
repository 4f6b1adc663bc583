// Arbitrary bytes as a serial field, typed on the command line and stored in
// a card type file: either refused with the field's own errors or a field
// that is right in every way, writes back to the same field and fits its
// own values.
#include "catalogue/carderrors.h"
#include "catalogue/serialfieldini.h"
#include "serials/serialencode.h"
#include "serials/serialerrors.h"
#include "serials/serialsequence.h"
#include "support/errors.h"
#include "support/inifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace korvex;

const std::filesystem::path kFile = "/nonexistent/cards/Fuzz.ini";

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A value's bytes are exactly the field's; a counter's first and last fit.
void CheckValues(const TSerialField& field) {
    Check(SerialFieldProblem(field).empty() && IsSerialSection(field.name));
    if (field.source != TSerialSource::ssCounter || field.length > 4096) {
        return; // a list is read from its file; a huge field is refused by its memory first
    }
    Check(EncodeSerialNumber(field, field.first).size() == field.length);
    Check(EncodeSerialNumber(field, field.last).size() == field.length);
    const TPSerialSequence sequence("Fuzz", field);
    Check(sequence.After(std::nullopt).position == field.first);
    try {
        const TSerialValue next = sequence.After(field.first);
        Check(next.position > field.first && next.position <= field.last);
    } catch (const ESerialsUsedUp&) {
        Check(field.last - field.first < field.step);
    }
}

// Written into a file and read again, the fields are the same.
void CheckWrittenBack(const std::vector<TSerialField>& fields) {
    TPIniFile ini(kFile);
    WriteSerialFields(ini, fields);
    TPIniFile again(kFile);
    again.LoadText(ini.Text());
    Check(ReadSerialFields(again, kFile) == fields);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const TSerialField field = SerialFieldOfLine(text, kFile);
        CheckValues(field);
        CheckWrittenBack({field});
    } catch (const ESerialField&) {
    }
    TPIniFile ini(kFile);
    ini.LoadText(text);
    try {
        const std::vector<TSerialField> fields = ReadSerialFields(ini, kFile);
        for (const TSerialField& field : fields) {
            CheckValues(field);
        }
        CheckWrittenBack(fields);
    } catch (const ESerialField&) {
    }
    return 0;
}
