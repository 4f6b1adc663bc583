#pragma once

#include "workflows/session/commandresult.h"

#include <cstddef>
#include <string>
#include <vector>

namespace korvex {

// What a face shows of the commands beside their messages: the remarks of the
// command in hand (the last few), gone when the next command starts or the
// line changes, and the result of the last command, until the next one starts.
class TPCommandNotes {
public:
    static constexpr std::size_t kNotesKept = 2;

    const std::vector<std::string>& Notes() const { return notes_; }
    void AddNote(const std::string& text) {
        notes_.push_back(text);
        if (notes_.size() > kNotesKept) {
            notes_.erase(notes_.begin());
        }
    }
    void ClearNotes() { notes_.clear(); }

    const TCommandResult& Result() const { return result_; }
    void SetResult(TCommandResult result) { result_ = std::move(result); }

private:
    std::vector<std::string> notes_;
    TCommandResult result_;
};

} // namespace korvex
