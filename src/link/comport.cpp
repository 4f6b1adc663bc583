#include "link/comport.h"

#include <array>

namespace korvex {

namespace {

constexpr std::size_t kReadAllLimit = 1024;

} // namespace

TComPort::TComPort(TBackendFactory factory) : factory_(std::move(factory)) {}

TComPort::~TComPort() {
    ClosePort();
}

bool TComPort::OpenPort() {
    if (open_) {
        return true;
    }
    const std::string name = PortName();
    std::unique_ptr<TSerialBackend> backend = factory_ ? factory_(name) : nullptr;
    if (!backend) {
        lastOpenError_ = "No serial line is configured for " + name;
        return false;
    }
    TLineSettings settings;
    settings.baud = BaudOf(rate_);
    settings.dataBits = dataBitsCode_ + 5;
    settings.parity = parityCode_;
    settings.stopBits = stopBitsCode_;
    TOpenResult result = backend->Open(settings);
    if (!result.ok) {
        lastOpenError_ = result.reason.empty() ? "Cannot open " + name : std::move(result.reason);
        return false;
    }
    lastOpenError_.clear();
    backend_ = std::move(backend);
    open_ = true;
    return true;
}

void TComPort::ClosePort() {
    if (backend_) {
        backend_->Close();
        backend_.reset();
    }
    open_ = false;
}

std::size_t TComPort::WriteString(std::string_view bytes) {
    return open_ ? backend_->Write(bytes) : 0;
}

bool TComPort::ReadByte(char& byte) {
    return open_ && backend_->Read(&byte, 1) == 1;
}

std::string TComPort::ReadAll() {
    if (!open_) {
        return {};
    }
    // A backend may hand the waiting bytes over in pieces; keep taking until
    // it has none left or the buffer is full. The rest stays for the next call.
    std::array<char, kReadAllLimit> buffer;
    std::size_t total = 0;
    while (total < buffer.size()) {
        const std::size_t got = backend_->Read(buffer.data() + total, buffer.size() - total);
        if (got == 0) {
            break;
        }
        total += got;
    }
    return std::string(buffer.data(), total);
}

int TComPort::BytesWaiting() {
    return open_ ? backend_->BytesWaiting() : 0;
}

void TComPort::PurgeInput() {
    if (open_) {
        backend_->PurgeInput();
    }
}

void TComPort::PurgeOutput() {
    if (open_) {
        backend_->PurgeOutput();
    }
}

bool TComPort::WaitForInput(int timeoutMs) {
    return open_ && backend_->WaitForInput(timeoutMs);
}

void TComPort::SetPortIndex(std::uint8_t index) {
    if (!open_) {
        portIndex_ = index;
    }
}

void TComPort::SetBaudRate(TBaudRate rate) {
    if (!open_) {
        rate_ = rate;
    }
}

void TComPort::SetDataBits(std::uint8_t code) {
    if (!open_) {
        dataBitsCode_ = code;
    }
}

void TComPort::SetParity(std::uint8_t code) {
    if (!open_) {
        parityCode_ = code;
    }
}

void TComPort::SetStopBits(std::uint8_t code) {
    if (!open_) {
        stopBitsCode_ = code;
    }
}

std::string TComPort::PortName() const {
    return PortNameOf(portIndex_);
}

std::string TComPort::PortNameOf(int index) {
    if (index < 1 || index > 7) {
        index = 0;
    }
    return "COM" + std::to_string(index + 1);
}

std::uint8_t TComPort::IndexOfComNumber(int comNumber) {
    return (comNumber >= 2 && comNumber <= 8) ? static_cast<std::uint8_t>(comNumber - 1) : 0;
}

} // namespace korvex
