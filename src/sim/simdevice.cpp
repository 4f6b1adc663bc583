#include "sim/simdevice.h"

#include "images/hexconv.h"

namespace korvex::sim {

namespace {

TSimAnswer Nak() {
    return TSimAnswer::Short(std::string(1, kNak));
}

} // namespace

TSimDevice::TSimDevice(TSimCard card) : card_(std::move(card)) {}

void TSimDevice::SetFirmwareVersion(int version) {
    if (version < 0 || version > 999) {
        throw ESimSetup("The firmware version must be 0 to 999, not " + std::to_string(version));
    }
    version_ = version;
}

void TSimDevice::SetPresent(bool present) {
    card_.SetPresent(present);
    if (feeder_) {
        feeder_->SlotChanged(present);
    }
}

void TSimDevice::InsertCard(TSimCard card) {
    card_ = std::move(card);
    card_.SetPresent(true);
    mode_ = 0;
    address_.fill(0);
    releasedSinceWrite_ = true;
}

TSimFeeder& TSimDevice::SetFeed(TSimFeedPlan plan, TClock& clock,
                                TSimFeeder::TEventHandler onEvent) {
    feeder_ =
        std::make_unique<TSimFeeder>(std::move(plan), card_.Model(), clock, std::move(onEvent));
    feeder_->Start(*this);
    return *feeder_;
}

void TSimDevice::SetRandomFaults(double probability, std::uint32_t seed) {
    if (!(probability >= 0 && probability <= 1)) {
        throw ESimSetup("The fault probability must be 0 to 1");
    }
    faults_.SetRandom(probability, seed);
}

std::string TSimDevice::Receive(std::string_view bytes) {
    if (hungUp_) {
        return {};
    }
    if (!HearsHost()) {
        cutter_.Reset(); // what it heard was garbage, not the start of a frame
        return {};
    }
    std::string answers;
    for (TSimFrame& frame : cutter_.Feed(bytes)) {
        if (hungUp_) {
            break;
        }
        // The card in the slot may change before the frame is answered; the
        // faults of that card come before those of the whole line.
        const auto cardFault = feeder_ ? feeder_->BeforeFrame(*this, frame) : std::nullopt;
        const auto lineFault = faults_.Next(frame.command);
        const auto fault = cardFault ? cardFault : lineFault;
        if (fault == TSimFaultKind::Hangup) {
            hungUp_ = true;
        } else if (fault == TSimFaultKind::Nack) {
            frame.answer = Nak().bytes;
        } else if (fault != TSimFaultKind::Silent) {
            if (fault == TSimFaultKind::Pull) {
                SetPresent(false);
            }
            frame.answer = SpoilAnswer(Answer(frame), fault);
        }
        answers += frame.answer;
        frames_.push_back(std::move(frame));
    }
    return answers;
}

TSimAnswer TSimDevice::Answer(const TSimFrame& frame) {
    if (!frame.checksumOk) {
        return Nak();
    }
    if (frame.command == 'V') {
        // Three digits, leading zeros kept: the host takes characters 3 to 5.
        return TSimAnswer::Short(std::string{kAck, 'V'} +
                                 std::to_string(1000 + version_).substr(1) + kCr);
    }
    if (!card_.Present()) {
        return TSimAnswer::Short(std::string(1, kDle));
    }
    if (frame.device == '\0') {
        return Nak();
    }
    switch (frame.command) {
    case 'P':
        return AckEot();
    case 'A':
        return SelectMode(frame.data);
    case 'B':
        return Write(TSimMemory::Program, frame.data);
    case 'C':
        return Write(TSimMemory::Data, frame.data);
    case 'D':
        return frame.data.empty() ? Lock() : Write(TSimMemory::Config, frame.data);
    case 'E':
        return Read(TSimMemory::Program, frame.data);
    case 'F':
        return Read(TSimMemory::Data, frame.data);
    case 'G':
        return Read(TSimMemory::Config, frame.data);
    case 'H':
        return Erase();
    case 'I':
        return EepromAnswers(1) ? Write(TSimMemory::Eeprom, frame.data) : TSimAnswer::Nothing();
    case 'J':
        return EepromAnswers(2) ? Read(TSimMemory::Eeprom, frame.data) : TSimAnswer::Nothing();
    default:
        return Nak();
    }
}

TSimAnswer TSimDevice::SelectMode(std::string_view data) {
    if (data.size() != 1 || data[0] < '0' || data[0] > '4') {
        return Nak();
    }
    mode_ = data[0] - '0';
    address_.fill(0);
    if (mode_ == 0) {
        releasedSinceWrite_ = true;
    }
    return AckEot();
}

bool TSimDevice::EepromAnswers(int neededMode) const {
    return card_.Model().eepromBytes > 0 && !card_.ProgramBlank() && releasedSinceWrite_ &&
           mode_ == neededMode;
}

std::size_t TSimDevice::UnitChars(TSimMemory memory) const {
    switch (memory) {
    // Two words for PIC kinds and AVR kind 8, one word for AVR kinds 9 and
    // above, whose read counts the host doubles: a read of the catalogue's
    // program size covers exactly the flash.
    case TSimMemory::Program:
        return card_.Model().kind >= 9 ? 4 : 8;
    case TSimMemory::Config:
        return card_.IsAvr() ? 2 : 4;
    default:
        return 2;
    }
}

TSimAnswer TSimDevice::Write(TSimMemory memory, std::string_view data) {
    const bool processor = memory != TSimMemory::Eeprom;
    if ((processor && !ProcessorSelected()) || !TPHexConv::IsHexText(data)) {
        return Nak();
    }
    std::size_t& address = Address(memory);
    card_.Write(memory, address, data);
    address += data.size();
    if (processor) {
        releasedSinceWrite_ = false;
    }
    return AckEot();
}

TSimAnswer TSimDevice::Read(TSimMemory memory, std::string_view data) {
    if ((memory != TSimMemory::Eeprom && !ProcessorSelected()) || data.size() != 4 ||
        !TPHexConv::IsHexText(data)) {
        return Nak();
    }
    const std::size_t chars = TPHexConv::HexToInt(data) * UnitChars(memory);
    std::size_t& address = Address(memory);
    std::string payload = card_.Read(memory, address, chars);
    address += chars;
    return TSimAnswer::Framed(std::move(payload));
}

TSimAnswer TSimDevice::Erase() {
    if (!ProcessorSelected()) {
        return Nak();
    }
    card_.Erase();
    releasedSinceWrite_ = false;
    return AckEot();
}

TSimAnswer TSimDevice::Lock() {
    if (!ProcessorSelected()) {
        return Nak();
    }
    card_.Lock();
    releasedSinceWrite_ = false;
    return AckEot();
}

} // namespace korvex::sim
