// Arbitrary bytes as a catalogue: the reader must either load them or refuse
// them with its own errors, and every answer must stay inside the table. The
// first entries are then used as configuration-word sets.
#include "catalogue/cfgreader.h"
#include "catalogue/cfgrules.h"
#include "catalogue/configcalc.h"
#include "catalogue/configpattern.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using korvex::EKorvex;
using korvex::TPCardReader;
using korvex::TPConfigCalculator;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void ExerciseCalculator(const TPCardReader& reader, int set) {
    TPConfigCalculator calc(set, reader);
    for (std::string_view text :
         {std::string_view(""), std::string_view("3FFF3FFF3FFF3FFF3FFF3FFF3FFF0000")}) {
        try {
            calc.LoadConfigText(text);
            Check(calc.GetConfigText().size() == 32);
            const bool protection = calc.IsProtectionOn();
            calc.SetProtection(!protection);
            calc.SetPowerUp(calc.IsPowerUpOn());
            calc.SetWatchDog(!calc.IsWatchDogOn());
            const int oscillator = calc.GetOscillator();
            Check(oscillator >= 0 && oscillator <= 3);
            calc.SetOscillator(oscillator);
            Check(calc.GetConfigText().size() == 32);
        } catch (const EKorvex&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<TPCardReader> reader;
    try {
        reader.emplace(TPCardReader::FromText(text, "fuzz.cfg"));
    } catch (const EKorvex&) {
        return 0;
    }
    const int count = reader->GetCount();
    Check(count >= 0 && count <= TPCardReader::kMaxEntries);
    for (int entry = 1; entry <= TPCardReader::kMaxEntries; ++entry) {
        for (int field = 1; field <= TPCardReader::kMaxFields; ++field) {
            const std::string value = reader->GetField(entry, field);
            Check(value.size() < TPCardReader::kCellSize);
            Check(entry <= count || value.empty());
            const korvex::TPConfigPattern pattern(value);
            Check((pattern.Ones() & pattern.Zeros()) == 0);
            Check(pattern.Matches(pattern.Apply(0x5A5A, true)));
        }
    }
    for (int entry = 1; entry <= count && entry <= 3; ++entry) {
        const std::string name = reader->GetField(entry, 1);
        int found = -7;
        try {
            reader->FindName(name, -5, found);
            Check(found >= 1 && found <= entry);
        } catch (const EKorvex&) {
        }
        if (auto set = korvex::TryStrToInt(name)) {
            ExerciseCalculator(*reader, *set);
        }
    }
    int found = -7;
    try {
        reader->FindName("PIC 16F84", 0, found);
        Check(found >= 0 && found <= count);
    } catch (const EKorvex&) {
    }
    // Every entry may be checked as any catalogue's; a fault is an error.
    for (const auto kind : {korvex::TCatalogueKind::ckPics, korvex::TCatalogueKind::ckEeproms,
                            korvex::TCatalogueKind::ckConfigWords}) {
        try {
            korvex::CheckCatalogueEntries(*reader, kind);
        } catch (const EKorvex&) {
        }
    }
    for (int entry = 1; entry <= count; ++entry) {
        Check(reader->LineOf(entry) >= entry &&
              reader->FieldCount(entry) <= TPCardReader::kMaxFields);
    }
    return 0;
}
