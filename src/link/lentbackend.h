#pragma once

#include "link/serialbackend.h"

#include <memory>

namespace korvex {

// A backend that passes every call on to another one: a line owned elsewhere
// (a test's scripted line, a simulator that outlives the port), optionally
// keeping alive whatever that line depends on.
class TLentBackend final : public TSerialBackend {
public:
    explicit TLentBackend(TSerialBackend& line, std::shared_ptr<void> keepAlive = {})
        : line_(line), keepAlive_(std::move(keepAlive)) {}
    TLentBackend(std::unique_ptr<TSerialBackend> owned, std::shared_ptr<void> keepAlive)
        : line_(*owned), owned_(std::move(owned)), keepAlive_(std::move(keepAlive)) {}

    TOpenResult Open(const TLineSettings& settings) override { return line_.Open(settings); }
    void Close() override { line_.Close(); }
    bool IsOpen() const override { return line_.IsOpen(); }
    std::size_t Write(std::string_view bytes) override { return line_.Write(bytes); }
    int BytesWaiting() override { return line_.BytesWaiting(); }
    std::size_t Read(char* buffer, std::size_t max) override { return line_.Read(buffer, max); }
    void PurgeInput() override { line_.PurgeInput(); }
    void PurgeOutput() override { line_.PurgeOutput(); }
    bool WaitForInput(int timeoutMs) override { return line_.WaitForInput(timeoutMs); }
    bool Gone() const override { return line_.Gone(); }

private:
    TSerialBackend& line_;
    std::unique_ptr<TSerialBackend> owned_;
    std::shared_ptr<void> keepAlive_;
};

// A factory that lends the same line to every port that asks.
inline TBackendFactory LendLine(TSerialBackend& line) {
    return [&line](std::string_view) { return std::make_unique<TLentBackend>(line); };
}

} // namespace korvex
