#pragma once

#include "link/baudrate.h"
#include "link/serialbackend.h"

#include <cstdint>
#include <memory>
#include <string>

namespace korvex {

// The serial port the programmer driver talks through: one of COM1..COM8 with
// a fixed frame format. It never waits on its own except in WaitForInput;
// settings change only while it is closed.
class TComPort {
public:
    explicit TComPort(TBackendFactory factory);
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Already open: true, nothing changes. Otherwise opens the port named by
    // the index with the stored settings; on failure stays closed and keeps
    // the reason in LastOpenError.
    bool OpenPort();
    void ClosePort();
    bool IsOpen() const { return open_; }

    // Closed: 0. Otherwise the count written.
    std::size_t WriteString(std::string_view bytes);
    bool ReadByte(char& byte);
    // Every waiting byte, at most 1024 per call.
    std::string ReadAll();
    int BytesWaiting();
    void PurgeInput();
    void PurgeOutput();
    // Closed: false at once (no wait).
    bool WaitForInput(int timeoutMs);
    // The line went away while open (unplugged); see TSerialBackend::Gone.
    bool LineGone() const { return open_ && backend_->Gone(); }

    // Stored only while closed.
    void SetPortIndex(std::uint8_t index);
    void SetBaudRate(TBaudRate rate);
    void SetDataBits(std::uint8_t code);
    void SetParity(std::uint8_t code);
    void SetStopBits(std::uint8_t code);

    std::uint8_t PortIndex() const { return portIndex_; }
    TBaudRate BaudRate() const { return rate_; }
    std::uint8_t DataBitsCode() const { return dataBitsCode_; }
    std::uint8_t ParityCode() const { return parityCode_; }
    std::uint8_t StopBitsCode() const { return stopBitsCode_; }

    // "COM1".."COM8"; an index outside 1..7 gives "COM1".
    std::string PortName() const;
    static std::string PortNameOf(int index);
    // COM number 2..8 gives index 1..7, every other number 0.
    static std::uint8_t IndexOfComNumber(int comNumber);

    const std::string& LastOpenError() const { return lastOpenError_; }

private:
    TBackendFactory factory_;
    std::unique_ptr<TSerialBackend> backend_;
    bool open_ = false;
    std::uint8_t dataBitsCode_ = 3;
    std::uint8_t stopBitsCode_ = 0;
    TBaudRate rate_ = TBaudRate::br115200;
    std::uint8_t portIndex_ = 0;
    std::uint8_t parityCode_ = 0;
    std::string lastOpenError_;
};

} // namespace korvex
