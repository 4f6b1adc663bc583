#include "sim/simcard.h"

#include "images/hexconv.h"

#include <algorithm>

namespace korvex::sim {

namespace {

constexpr std::size_t kPicConfigChars = 8 * 4;
// The identification sits in word 6 of a PIC's configuration area.
constexpr std::size_t kPicIdPosition = 6 * 4;
constexpr std::size_t kPicIdChars = 4;
constexpr char kDigits[] = "0123456789ABCDEF";

char Upper(char c) {
    return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Flash can only clear bits: each digit keeps the bits both values have.
char FlashAnd(char old, char value) {
    if (!TPHexConv::IsHexDigit(old) || !TPHexConv::IsHexDigit(value)) {
        return Upper(value);
    }
    return kDigits[TPHexConv::HexDigitValue(old) & TPHexConv::HexDigitValue(value)];
}

std::size_t Chars(int units, std::size_t perUnit) {
    return units > 0 ? static_cast<std::size_t>(units) * perUnit : 0;
}

} // namespace

TSimCard::TSimCard(TSimCardModel model) : model_(std::move(model)) {
    Store(TSimMemory::Program) = BlankText(TSimMemory::Program, Chars(model_.programWords, 4));
    Store(TSimMemory::Data) = BlankText(TSimMemory::Data, Chars(model_.dataBytes, 2));
    Store(TSimMemory::Eeprom) = BlankText(TSimMemory::Eeprom, Chars(model_.eepromBytes, 2));
    std::string& config = Store(TSimMemory::Config);
    if (IsAvr()) {
        config = model_.idA;
        return;
    }
    config = BlankText(TSimMemory::Config, kPicConfigChars);
    picIdReadOnly_ = model_.idA.size() == kPicIdChars && TPHexConv::IsHexText(model_.idA);
    if (picIdReadOnly_) {
        config.replace(kPicIdPosition, kPicIdChars, model_.idA);
    }
}

char TSimCard::BlankAt(TSimMemory memory, bool avr, std::size_t position) {
    const bool words = !avr && (memory == TSimMemory::Program || memory == TSimMemory::Config);
    return (words && position % 4 == 0) ? '3' : 'F';
}

std::string TSimCard::BlankText(TSimMemory memory, std::size_t size) const {
    std::string text(size, 'F');
    for (std::size_t pos = 0; pos < size; ++pos) {
        text[pos] = BlankAt(memory, IsAvr(), pos);
    }
    return text;
}

std::string TSimCard::Text(TSimMemory memory) const {
    if (memory == TSimMemory::Config && IsAvr() && locked_) {
        return model_.idB;
    }
    return Store(memory);
}

std::size_t TSimCard::Size(TSimMemory memory) const {
    return Text(memory).size();
}

std::string TSimCard::Read(TSimMemory memory, std::size_t position, std::size_t count) const {
    const std::string text = Text(memory);
    std::string result;
    result.reserve(count);
    for (std::size_t pos = position; pos < position + count; ++pos) {
        result += pos < text.size() ? text[pos] : BlankAt(memory, IsAvr(), pos);
    }
    return result;
}

bool TSimCard::IdentificationAt(std::size_t position) const {
    return picIdReadOnly_ && position >= kPicIdPosition && position < kPicIdPosition + kPicIdChars;
}

void TSimCard::Write(TSimMemory memory, std::size_t position, std::string_view text) {
    if (memory == TSimMemory::Config && IsAvr()) {
        return; // nothing there but the identification, which no write changes
    }
    std::string& store = Store(memory);
    for (std::size_t i = 0; i < text.size() && position + i < store.size(); ++i) {
        const std::size_t pos = position + i;
        if (StuckAt(memory, pos)) {
            continue;
        }
        if (memory == TSimMemory::Program) {
            store[pos] = FlashAnd(store[pos], text[i]);
        } else if (memory != TSimMemory::Config || !IdentificationAt(pos)) {
            store[pos] = Upper(text[i]);
        }
    }
    if (memory == TSimMemory::Program) {
        programBlank_.reset();
    }
}

void TSimCard::Load(TSimMemory memory, std::string_view text) {
    std::string& store = Store(memory);
    if (memory == TSimMemory::Config && IsAvr()) {
        store.assign(text);
        return;
    }
    store = BlankText(memory, store.size());
    for (std::size_t i = 0; i < text.size() && i < store.size(); ++i) {
        if (!StuckAt(memory, i)) {
            store[i] = Upper(text[i]);
        }
    }
    programBlank_.reset();
}

void TSimCard::Erase() {
    for (TSimMemory memory : {TSimMemory::Program, TSimMemory::Data}) {
        Store(memory) = BlankText(memory, Store(memory).size());
    }
    if (!IsAvr()) {
        std::string& config = Store(TSimMemory::Config);
        const std::string id = config.substr(kPicIdPosition, kPicIdChars);
        config = BlankText(TSimMemory::Config, config.size());
        if (picIdReadOnly_) {
            config.replace(kPicIdPosition, kPicIdChars, id);
        }
    }
    locked_ = false;
    programBlank_ = true;
}

void TSimCard::Lock() {
    if (IsAvr()) {
        locked_ = true;
    }
}

bool TSimCard::ProgramBlank() const {
    if (!programBlank_) {
        const std::string& program = Store(TSimMemory::Program);
        bool blank = true;
        for (std::size_t pos = 0; blank && pos < program.size(); ++pos) {
            blank = program[pos] == BlankAt(TSimMemory::Program, IsAvr(), pos);
        }
        programBlank_ = blank;
    }
    return *programBlank_;
}

std::size_t TSimCard::CellChars(TSimMemory memory) {
    return memory == TSimMemory::Program || memory == TSimMemory::Config ? 4 : 2;
}

void TSimCard::StickCell(TSimMemory memory, std::size_t cell) {
    static constexpr const char* kCellNames[] = {"program word", "data EEPROM byte",
                                                 "configuration word", "external EEPROM byte"};
    const std::string name = kCellNames[static_cast<std::size_t>(memory)];
    const std::size_t chars = CellChars(memory);
    const bool fixed = memory != TSimMemory::Config || !IsAvr();
    const std::size_t cells = fixed ? Store(memory).size() / chars : 0;
    if (cells == 0) {
        throw ESimSetup("The card has no " + name + "s");
    }
    if (cell >= cells) {
        throw ESimSetup("The card has no " + name + " " + std::to_string(cell) + " (only 0 to " +
                        std::to_string(cells - 1) + ")");
    }
    stuckCells_[static_cast<std::size_t>(memory)].push_back(cell);
    std::string& store = Store(memory);
    for (std::size_t pos = cell * chars; pos < (cell + 1) * chars; ++pos) {
        store[pos] = BlankAt(memory, IsAvr(), pos);
    }
    if (memory == TSimMemory::Program) {
        programBlank_.reset();
    }
}

bool TSimCard::StuckAt(TSimMemory memory, std::size_t position) const {
    const std::vector<std::size_t>& cells = stuckCells_[static_cast<std::size_t>(memory)];
    return !cells.empty() &&
           std::find(cells.begin(), cells.end(), position / CellChars(memory)) != cells.end();
}

} // namespace korvex::sim
