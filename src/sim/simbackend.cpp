#include "sim/simbackend.h"

#include <algorithm>
#include <cstring>

namespace korvex::sim {

namespace {

// A byte on the line is a start bit, eight data bits and a stop bit.
constexpr std::int64_t kBitsPerByte = 10;

// To the microsecond: rounded up to whole milliseconds, a frame of a few
// bytes at 115200 baud would take twice its time, and a card of hundreds of
// frames most of a second more than the line gives it.
std::int64_t WireUs(std::size_t bytes, int baud) {
    if (baud <= 0) {
        return 0;
    }
    const auto bits = static_cast<std::int64_t>(bytes) * kBitsPerByte * 1'000'000;
    return (bits + baud - 1) / baud;
}

} // namespace

TSimBackend::TSimBackend(TSimDevice& device, TClock& clock, bool wireTime)
    : device_(device), clock_(clock), wireTime_(wireTime) {}

TOpenResult TSimBackend::Open(const TLineSettings& settings) {
    settings_ = settings;
    device_.SetHostBaud(settings.baud);
    open_ = true;
    return {true, {}};
}

void TSimBackend::Close() {
    open_ = false;
    pending_.clear();
}

std::size_t TSimBackend::Write(std::string_view bytes) {
    if (!open_) {
        return 0;
    }
    std::string answer = device_.Receive(bytes);
    if (!answer.empty()) {
        const std::int64_t due =
            clock_.MicrosNow() +
            (wireTime_ ? WireUs(bytes.size() + answer.size(), settings_.baud) : 0);
        pending_.push_back({due, std::move(answer)});
    }
    return bytes.size();
}

int TSimBackend::BytesWaiting() {
    const std::int64_t now = clock_.MicrosNow();
    std::size_t count = 0;
    for (const TPending& chunk : pending_) {
        if (chunk.dueUs > now) {
            break; // later answers queue behind it on the line
        }
        count += chunk.bytes.size();
    }
    return static_cast<int>(count);
}

std::size_t TSimBackend::Read(char* buffer, std::size_t max) {
    const std::int64_t now = clock_.MicrosNow();
    std::size_t done = 0;
    while (done < max && !pending_.empty() && pending_.front().dueUs <= now) {
        std::string& bytes = pending_.front().bytes;
        const std::size_t take = std::min(max - done, bytes.size());
        std::memcpy(buffer + done, bytes.data(), take);
        bytes.erase(0, take);
        done += take;
        if (bytes.empty()) {
            pending_.pop_front();
        }
    }
    return done;
}

bool TSimBackend::WaitForInput(int timeoutMs) {
    if (BytesWaiting() > 0) {
        return true;
    }
    if (timeoutMs <= 0) {
        return false;
    }
    const std::int64_t now = clock_.MicrosNow();
    std::int64_t wait = std::int64_t{timeoutMs} * 1000;
    if (!pending_.empty()) {
        wait = std::clamp<std::int64_t>(pending_.front().dueUs - now, 0, wait);
    }
    clock_.SleepMicros(wait);
    return BytesWaiting() > 0;
}

std::unique_ptr<TSerialBackend> MakeSimulatorBackend(TSimDevice& device, TClock& clock,
                                                     bool wireTime) {
    return std::make_unique<TSimBackend>(device, clock, wireTime);
}

TBackendFactory SimulatorBackendFactory(TSimDevice& device, TClock& clock, bool wireTime) {
    return [&device, &clock, wireTime](std::string_view) {
        return MakeSimulatorBackend(device, clock, wireTime);
    };
}

} // namespace korvex::sim
