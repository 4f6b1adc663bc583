#pragma once

#include "sim/simcardmodel.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

enum class TSimMemory { Program, Data, Config, Eeprom };

// The memories of a simulated card as hex text, laid out exactly as the
// host's image buffers hold them, so what the host writes and reads back can
// be compared character for character. Positions and sizes are in characters.
class TSimCard {
public:
    explicit TSimCard(TSimCardModel model);

    const TSimCardModel& Model() const { return model_; }
    bool IsAvr() const { return model_.IsAvr(); }

    // The memory as the card answers it. For an AVR the configuration area
    // is its identification, which changes once the card is locked.
    std::string Text(TSimMemory memory) const;
    std::size_t Size(TSimMemory memory) const;
    // `count` characters from `position`; past the end, the memory's blank.
    std::string Read(TSimMemory memory, std::size_t position, std::size_t count) const;

    // What a write packet does: program memory keeps old AND new until an
    // erase, identification stays as it is, characters past the end are lost.
    // `text` holds hexadecimal digits only.
    void Write(TSimMemory memory, std::size_t position, std::string_view text);
    // Puts a new chip in: the memory becomes blank with `text` from position
    // 0, over the identification too and without the flash rule. An AVR's
    // configuration text becomes its identification, whatever its length.
    void Load(TSimMemory memory, std::string_view text);

    // Program memory, data EEPROM and configuration area blank, identification
    // kept, lock released.
    void Erase();
    // Locking matters to AVR kinds only.
    void Lock();
    bool Locked() const { return locked_; }

    bool Present() const { return present_; }
    void SetPresent(bool present) { present_ = present; }

    bool ProgramBlank() const;

    // A cell that never takes a write, nor a load: it keeps its blank value,
    // so a read-back differs from what was written exactly there. Cells are
    // counted in the memory's own units: a program word (4 characters of the
    // program text, both families), a data EEPROM byte or an external EEPROM
    // byte (2 characters each), a PIC configuration word (4 characters).
    // Throws ESimSetup for a cell the card does not have.
    void StickCell(TSimMemory memory, std::size_t cell);
    static std::size_t CellChars(TSimMemory memory);

    // The blank character at `position` of a memory of a card of this family.
    static char BlankAt(TSimMemory memory, bool avr, std::size_t position);

private:
    std::string& Store(TSimMemory memory) { return memories_[static_cast<std::size_t>(memory)]; }
    const std::string& Store(TSimMemory memory) const {
        return memories_[static_cast<std::size_t>(memory)];
    }
    bool IdentificationAt(std::size_t position) const;
    bool StuckAt(TSimMemory memory, std::size_t position) const;
    std::string BlankText(TSimMemory memory, std::size_t size) const;

    TSimCardModel model_;
    // In TSimMemory order. An AVR's configuration area is its unlocked
    // identification and has no fixed size.
    std::array<std::string, 4> memories_;
    bool picIdReadOnly_ = false;
    bool locked_ = false;
    bool present_ = true;
    mutable std::optional<bool> programBlank_;
    // Stuck cells per TSimMemory; a handful at most, so a list will do.
    std::array<std::vector<std::size_t>, 4> stuckCells_;
};

} // namespace korvex::sim
