#pragma once

#include "link/serialbackend.h"

#include <string>
#include <termios.h>

namespace korvex {

// A serial line reached through a device node: a real port, a USB adapter or
// a pseudo-terminal. The line is taken exclusively, switched to raw bytes
// with no flow control, and handed back with its own settings on close.
class TPosixSerialBackend final : public TSerialBackend {
public:
    explicit TPosixSerialBackend(std::string devicePath);
    ~TPosixSerialBackend() override;
    TPosixSerialBackend(const TPosixSerialBackend&) = delete;
    TPosixSerialBackend& operator=(const TPosixSerialBackend&) = delete;

    // Already open: succeeds and changes nothing.
    TOpenResult Open(const TLineSettings& settings) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }

    // Gives up when the line takes no byte for a while (hung up, or the far
    // end of a pseudo-terminal not reading) and returns what went out.
    std::size_t Write(std::string_view bytes) override;
    int BytesWaiting() override;
    std::size_t Read(char* buffer, std::size_t max) override;
    void PurgeInput() override;
    void PurgeOutput() override;
    // A hung-up line has nothing to offer: the call then sleeps its bound,
    // so a caller polling in a loop does not spin.
    bool WaitForInput(int timeoutMs) override;
    bool Gone() const override { return gone_; }

private:
    TOpenResult Fail(int errnoValue);
    bool WaitWritable();

    std::string path_;
    int fd_ = -1;
    termios original_{};
    int writeStallMs_ = 0;
    bool gone_ = false;
};

// The settings a line is switched to: raw bytes, receiver on, modem lines
// ignored, no flow control, reads that never wait, and the frame format
// asked for. Kept apart from Open because a pseudo-terminal forces eight bits
// without parity whatever it is told, so only here can the frame be checked.
termios RawLineFor(const termios& original, const TLineSettings& settings);

} // namespace korvex
