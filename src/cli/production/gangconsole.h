#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace korvex::cli {

// The terminal of a run with several programmers, which every slot's thread
// writes to: whole lines on stdout and stderr, one at a time, and, when
// stderr is a terminal, one line per slot below them saying what the slot
// does, redrawn in place.
class TGangConsole {
public:
    // `slots`: each slot's name, as its lines begin; `board`: draw the slot
    // lines (stderr is a terminal and the run is not quiet).
    TGangConsole(std::ostream& out, std::ostream& err, bool board, std::vector<std::string> slots);
    ~TGangConsole();
    TGangConsole(const TGangConsole&) = delete;
    TGangConsole& operator=(const TGangConsole&) = delete;

    void Out(const std::string& line);
    void Err(const std::string& line);
    // What slot `slot` does now ("waiting for a card").
    void Show(std::size_t slot, const std::string& state);
    // Takes the slot lines away, for the lines that end the run.
    void EndBoard();

private:
    void Wipe();
    void Draw();

    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    bool board_;
    std::vector<std::string> slots_;
    std::vector<std::string> states_;
    bool drawn_ = false;
};

// An output stream that hands each whole line it is given to `line`, without
// its line end; what is left without one goes at the stream's end.
class TLineStream final : public std::ostream {
public:
    explicit TLineStream(std::function<void(const std::string&)> line);
    ~TLineStream() override;

private:
    class TBuffer final : public std::streambuf {
    public:
        explicit TBuffer(std::function<void(const std::string&)> line) : line_(std::move(line)) {}
        void Flush();

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;

    private:
        std::function<void(const std::string&)> line_;
        std::string pending_;
    };
    TBuffer buffer_;
};

} // namespace korvex::cli
