#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace korvex {

// Frame format and speed a port is opened with.
struct TLineSettings {
    int baud = 115200;
    int dataBits = 8;
    int parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0; // 0 one, 1 one and a half, 2 two
};

struct TOpenResult {
    bool ok = false;
    // Why the port could not be opened, worded for the user (what failed and
    // what to do); empty on success.
    std::string reason;
};

// One serial line: a real device, a pseudo-terminal or the in-process
// programmer simulator. Only TComPort talks to it. Nothing here blocks except
// WaitForInput, which is how every wait on the programmer is done.
class TSerialBackend {
public:
    virtual ~TSerialBackend() = default;

    virtual TOpenResult Open(const TLineSettings& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Writes all bytes in one go; returns the count written.
    virtual std::size_t Write(std::string_view bytes) = 0;
    // Bytes in the receive queue right now.
    virtual int BytesWaiting() = 0;
    // Takes up to max bytes that are already waiting; never waits.
    virtual std::size_t Read(char* buffer, std::size_t max) = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;
    // Waits until at least one byte is waiting or timeoutMs has passed;
    // returns whether bytes are waiting. Returns at once when some already are.
    virtual bool WaitForInput(int timeoutMs) = 0;
    // The line went away while open: the device was unplugged, or the far end
    // of a pseudo-terminal closed. Nothing will be heard on it again.
    virtual bool Gone() const { return false; }
};

// Makes the backend for a port name ("COM1".."COM8"). It may return a backend
// that will only fail to open, carrying the reason.
using TBackendFactory = std::function<std::unique_ptr<TSerialBackend>(std::string_view portName)>;

} // namespace korvex
