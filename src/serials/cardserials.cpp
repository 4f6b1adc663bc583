#include "serials/cardserials.h"

#include "serials/serialimage.h"

namespace korvex {

namespace {

// The image, as const as the images.
template <typename Images>
auto& ImageOf(Images& images, TSerialMemory memory) {
    switch (memory) {
    case TSerialMemory::smEeprom:
        return images.eeprom;
    case TSerialMemory::smIntEeprom:
        return images.intEeprom;
    case TSerialMemory::smProgram:
        break;
    }
    return images.program;
}

} // namespace

std::uint64_t SerialMemoryBytes(const TCardMemories& memories, TSerialMemory memory) {
    switch (memory) {
    case TSerialMemory::smEeprom:
        return memories.eeprom;
    case TSerialMemory::smIntEeprom:
        return memories.intEeprom;
    case TSerialMemory::smProgram:
        break;
    }
    return memories.program;
}

TPCardSerials::TPCardSerials(const std::string& cardType, const std::vector<TSerialField>& fields,
                             TSerialClaims& claims)
    : claims_(claims) {
    for (const TSerialField& field : fields) {
        sequences_.emplace_back(cardType, field);
    }
}

bool TPCardSerials::Uses(TSerialMemory memory) const {
    for (const TPSerialSequence& sequence : sequences_) {
        if (sequence.Field().memory == memory) {
            return true;
        }
    }
    return false;
}

void TPCardSerials::CheckPlaces(const TCardImages& images, const TCardMemories& memories) const {
    for (const TPSerialSequence& sequence : sequences_) {
        const TSerialField& field = sequence.Field();
        CheckSerialPlace(field, SerialMemoryBytes(memories, field.memory),
                         ImageOf(images, field.memory), SerialLayout(field.memory, memories.avr));
    }
}

void TPCardSerials::CheckNextValues(const TCardImages& images, bool avr) const {
    TCardImages trial = images;
    for (const TPSerialSequence& sequence : sequences_) {
        if (const auto next = claims_.Next(sequence)) {
            const TSerialField& field = sequence.Field();
            PlaceSerialBytes(ImageOf(trial, field.memory), SerialLayout(field.memory, avr),
                             field.address, sequence.Bytes(*next));
        }
    }
}

const std::vector<TSerialValue>& TPCardSerials::Claim() {
    claimed_.clear();
    try {
        for (const TPSerialSequence& sequence : sequences_) {
            claimed_.push_back(claims_.Claim(sequence));
        }
    } catch (...) {
        try {
            Spend("unused");
        } catch (const std::exception&) { // the store's own failure is the news
        }
        throw;
    }
    return claimed_;
}

void TPCardSerials::Place(TCardImages& images, bool avr) const {
    TCardImages placed = images;
    for (std::size_t i = 0; i < claimed_.size(); ++i) {
        const TSerialField& field = sequences_[i].Field();
        PlaceSerialBytes(ImageOf(placed, field.memory), SerialLayout(field.memory, avr),
                         field.address, sequences_[i].Bytes(claimed_[i]));
    }
    images = std::move(placed);
}

TRecordLine TPCardSerials::Columns() const {
    TRecordLine columns;
    for (const TSerialValue& value : claimed_) {
        columns.push_back({"serial " + value.field, value.text});
    }
    return columns;
}

void TPCardSerials::Spend(std::string_view outcome) {
    const std::vector<TSerialValue> values = std::move(claimed_);
    claimed_.clear();
    for (std::size_t i = 0; i < values.size(); ++i) {
        claims_.Spend(sequences_[i], values[i], outcome);
    }
}

} // namespace korvex
