#include "cli/production/gangconsole.h"

namespace korvex::cli {

TGangConsole::TGangConsole(std::ostream& out, std::ostream& err, bool board,
                           std::vector<std::string> slots)
    : out_(out), err_(err), board_(board), slots_(std::move(slots)),
      states_(slots_.size(), "starting") {}

TGangConsole::~TGangConsole() {
    EndBoard();
}

void TGangConsole::Out(const std::string& line) {
    const std::lock_guard<std::mutex> turn(mutex_);
    Wipe();
    out_ << line << '\n' << std::flush;
    Draw();
}

void TGangConsole::Err(const std::string& line) {
    const std::lock_guard<std::mutex> turn(mutex_);
    Wipe();
    err_ << line << '\n' << std::flush;
    Draw();
}

void TGangConsole::Show(std::size_t slot, const std::string& state) {
    const std::lock_guard<std::mutex> turn(mutex_);
    if (slot >= states_.size() || states_[slot] == state) {
        return;
    }
    states_[slot] = state;
    Wipe();
    Draw();
}

void TGangConsole::EndBoard() {
    const std::lock_guard<std::mutex> turn(mutex_);
    Wipe();
    board_ = false;
}

// Up to the first slot line, and everything below it cleared.
void TGangConsole::Wipe() {
    if (!drawn_) {
        return;
    }
    err_ << "\033[" << slots_.size() << "A\r\033[J" << std::flush;
    drawn_ = false;
}

void TGangConsole::Draw() {
    if (!board_ || slots_.empty()) {
        return;
    }
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        err_ << slots_[slot] << ": " << states_[slot] << "\033[K\n";
    }
    err_ << std::flush;
    drawn_ = true;
}

TLineStream::TLineStream(std::function<void(const std::string&)> line)
    : std::ostream(nullptr), buffer_(std::move(line)) {
    rdbuf(&buffer_);
}

TLineStream::~TLineStream() {
    buffer_.Flush();
}

void TLineStream::TBuffer::Flush() {
    if (!pending_.empty()) {
        line_(pending_);
        pending_.clear();
    }
}

TLineStream::TBuffer::int_type TLineStream::TBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char character = traits_type::to_char_type(c);
    xsputn(&character, 1);
    return c;
}

std::streamsize TLineStream::TBuffer::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) {
        if (text[i] == '\n') {
            line_(pending_);
            pending_.clear();
        } else if (text[i] != '\r') {
            pending_ += text[i];
        }
    }
    return count;
}

} // namespace korvex::cli
