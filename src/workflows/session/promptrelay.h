#pragma once

#include "link/seams.h"
#include "support/lang.h"
#include "workflows/messagewords.h"
#include "workflows/presenter/mainview.h"

#include <functional>
#include <string>
#include <vector>

namespace korvex {

// A message a command gave while its messages were kept back.
struct TKeptMessage {
    TMessageKind kind = TMessageKind::mkInformation;
    std::string text;
};

// The prompts as the workflows and the driver use them: handed on to the
// face's, except while a production run keeps a card's messages back. A box
// per card would stop the line until somebody clicks it; the run puts the
// card's message in its record and its log instead.
class TPromptRelay final : public TPrompts, public TLinkPrompts {
public:
    // The driver words its failures in English; `lang` words them for the user.
    TPromptRelay(TPrompts& face, TLinkPrompts* linkFace, const TPLang& lang)
        : face_(face), linkFace_(linkFace), lang_(lang) {}

    // From now on messages go into `kept` (nullptr: to the face again).
    // Questions are answered No and plain boxes dropped meanwhile: nobody is
    // there to answer them.
    void KeepBack(std::vector<TKeptMessage>* kept) { kept_ = kept; }
    // From now on what would be a box goes to `to` (empty: to the face
    // again), unless it is kept back: a production run the window shows in
    // its own view, where a box would stop the line until somebody clicks
    // it. Questions are answered No and plain boxes dropped meanwhile.
    void Divert(std::function<void(TMessageKind, const std::string&)> to) {
        divert_ = std::move(to);
    }

    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override {
        if (kept_ != nullptr) {
            kept_->push_back({kind, text});
            return;
        }
        if (divert_) {
            divert_(kind, text);
            return;
        }
        face_.ShowMessage(kind, entry, text);
    }
    bool Ask(int entry, const std::string& text, TAnswer preset) override {
        return kept_ == nullptr && !divert_ && face_.Ask(entry, text, preset);
    }
    void ShowPlain(const std::string& title, const std::string& text) override {
        if (kept_ == nullptr && !divert_) {
            face_.ShowPlain(title, text);
        }
    }
    void ShowLinkError(const std::string& text) override {
        PassLinkError(WordedMessage(lang_, text));
    }

    // While a step may still be tried again, the driver's failure boxes wait:
    // a try that then goes through must not have shown one. Released, the
    // last one held is shown (`show`), with `why` as its second line, or they
    // all go. True when one was shown.
    void HoldLinkErrors() {
        holding_ = true;
        held_.clear();
    }
    bool ReleaseLinkErrors(bool show, const std::string& why = {}) {
        holding_ = false;
        const bool shown = show && !held_.empty();
        if (shown) {
            PassLinkError(why.empty() ? held_.back() : held_.back() + "\r\n" + why);
        }
        held_.clear();
        return shown;
    }

private:
    void PassLinkError(const std::string& text) {
        if (holding_) {
            held_.push_back(text);
            return;
        }
        if (kept_ != nullptr) {
            kept_->push_back({TMessageKind::mkError, text});
        } else if (divert_) {
            divert_(TMessageKind::mkError, text);
        } else if (linkFace_ != nullptr) {
            linkFace_->ShowLinkError(text);
        }
    }

    TPrompts& face_;
    TLinkPrompts* linkFace_;
    const TPLang& lang_;
    std::vector<TKeptMessage>* kept_ = nullptr;
    std::function<void(TMessageKind, const std::string&)> divert_;
    bool holding_ = false;
    std::vector<std::string> held_;
};

} // namespace korvex
