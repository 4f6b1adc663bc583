#pragma once

#include "link/clock.h"
#include "link/lentbackend.h"
#include "link/serialbackend.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvex::testing {

// A serial line whose far end follows a script: every write is recorded and
// takes the next scripted answer (or the responder's), which becomes readable
// after its delay on the given clock.
class TScriptedLine final : public TSerialBackend {
public:
    explicit TScriptedLine(TClock& clock) : clock_(clock) {}

    // The answer to the next write, readable delayMs after it.
    void Answer(std::string bytes, int delayMs = 0) {
        script_.push_back({{std::move(bytes), delayMs}});
    }
    // More bytes of the last scripted answer, readable delayMs after the write.
    void ThenAnswer(std::string bytes, int delayMs) {
        script_.back().push_back({std::move(bytes), delayMs});
    }
    // Answers writes the script has no entry for.
    std::function<std::string(const std::string& written)> responder;

    std::vector<std::string> written;
    TLineSettings openedWith;
    int opens = 0;
    int inputPurges = 0;
    bool failOpen = false;
    // A broken line that reports bytes it never hands over.
    bool phantomBytes = false;

    // A far end that never falls silent: for the next `reads` reads every
    // read, after what is due, finds the buffer full of `noise`, and the
    // millisecond those bytes took on the line passes.
    void Flood(char noise, int reads) {
        floodNoise_ = noise;
        floodReads_ = reads;
    }

    TOpenResult Open(const TLineSettings& settings) override {
        if (failOpen) {
            return {false, "No such serial device /dev/ttyS9"};
        }
        open_ = true;
        openedWith = settings;
        ++opens;
        return {true, {}};
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    std::size_t Write(std::string_view bytes) override {
        written.emplace_back(bytes);
        std::vector<TPiece> pieces;
        if (!script_.empty()) {
            pieces = std::move(script_.front());
            script_.pop_front();
        } else if (responder) {
            pieces.push_back({responder(written.back()), 0});
        }
        for (const TPiece& piece : pieces) {
            const std::int64_t due = clock_.NowMs() + piece.delayMs;
            for (const char c : piece.bytes) {
                pending_.push_back({c, due});
            }
        }
        return bytes.size();
    }
    int BytesWaiting() override {
        if (phantomBytes) {
            return 5;
        }
        int count = floodReads_ > 0 ? kFloodBytes : 0;
        for (const auto& byte : pending_) {
            if (byte.due > clock_.NowMs()) {
                break;
            }
            ++count;
        }
        return count;
    }
    std::size_t Read(char* buffer, std::size_t max) override {
        if (phantomBytes) {
            return 0;
        }
        std::size_t count = 0;
        while (count < max && !pending_.empty() && pending_.front().due <= clock_.NowMs()) {
            buffer[count++] = pending_.front().value;
            pending_.pop_front();
        }
        if (floodReads_ > 0 && count < max) {
            --floodReads_;
            std::fill(buffer + count, buffer + max, floodNoise_);
            count = max;
            clock_.SleepMs(1);
        }
        return count;
    }
    void PurgeInput() override {
        ++inputPurges;
        while (!pending_.empty() && pending_.front().due <= clock_.NowMs()) {
            pending_.pop_front();
        }
    }
    void PurgeOutput() override {}
    bool WaitForInput(int timeoutMs) override {
        if ((BytesWaiting() > 0 && !phantomBytes) || floodReads_ > 0) {
            return true;
        }
        const std::int64_t now = clock_.NowMs();
        if (!pending_.empty() && pending_.front().due <= now + timeoutMs) {
            clock_.SleepMs(static_cast<int>(pending_.front().due - now));
            return true;
        }
        clock_.SleepMs(timeoutMs);
        return false;
    }

private:
    struct TPiece {
        std::string bytes;
        int delayMs;
    };
    struct TPendingByte {
        char value;
        std::int64_t due;
    };
    static constexpr int kFloodBytes = 1024;

    TClock& clock_;
    char floodNoise_ = 0;
    int floodReads_ = 0;
    std::deque<std::vector<TPiece>> script_;
    std::deque<TPendingByte> pending_;
    bool open_ = false;
};

} // namespace korvex::testing
