#pragma once

#include "serials/claims/serialclaims.h"
#include "serials/record/recordsink.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// One card's images as they will be sent, as hex text (see TImageLayout):
// serial values go into these copies, never into the files.
struct TCardImages {
    std::string eeprom;    // two characters a byte
    std::string intEeprom; // as sent, two characters a byte (a PIC's low bytes taken out)
    std::string program;   // four characters a word, high byte first
};

// The sizes of the card's memories in bytes (0: the card has none).
struct TCardMemories {
    std::uint64_t eeprom = 0;
    std::uint64_t intEeprom = 0;
    std::uint64_t program = 0;
    bool avr = false;
};

// The bytes of the card's memory a field goes into.
std::uint64_t SerialMemoryBytes(const TCardMemories& memories, TSerialMemory memory);

// The serial fields of a card type through a production run or an Auto
// program: made once at the start (the list files read and checked), then for
// each card the values are claimed before its first write, laid into the
// images sent, shown in its record line and spent with its outcome.
class TPCardSerials {
public:
    // Throws ESerialValue or EInOutError for a list file that cannot be used.
    TPCardSerials(const std::string& cardType, const std::vector<TSerialField>& fields,
                  TSerialClaims& claims);

    bool Empty() const { return sequences_.empty(); }
    // Whether a field goes to `memory`.
    bool Uses(TSerialMemory memory) const;

    // Refuses with ESerialValue, before anything is sent, a field outside its
    // memory or over the images' own data.
    void CheckPlaces(const TCardImages& images, const TCardMemories& memories) const;
    // Refuses with ESerialValue, before anything is claimed, the next values
    // as far as the store can tell them (see TSerialClaims::Next) when they
    // would not go into the images (a PIC program word above 3FFF). Throws
    // ESerialsUsedUp for a field with no value left.
    void CheckNextValues(const TCardImages& images, bool avr) const;

    // A value of every field for the next card, each kept before this
    // returns. When a field fails (ESerialsUsedUp, EInOutError, EDatabase) the
    // values claimed before it are spent as "unused" and no card may be written.
    const std::vector<TSerialValue>& Claim();

    // Lays the claimed values into the images. Throws ESerialValue for a PIC
    // program word that would go above 3FFF; the card must not be written then.
    void Place(TCardImages& images, bool avr) const;

    // "serial Serial1" and so on, with the claimed values, for the record line.
    TRecordLine Columns() const;

    // After the card, whatever became of it: "good", "failed", "interrupted";
    // "unused" for values whose card was never touched.
    void Spend(std::string_view outcome);

private:
    std::vector<TPSerialSequence> sequences_;
    TSerialClaims& claims_;
    std::vector<TSerialValue> claimed_;
};

} // namespace korvex
