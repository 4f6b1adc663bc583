#pragma once

#include "link/picprog.h"
#include "support/lang.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainview.h"

#include <functional>
#include <string>

namespace korvex {

// What a session tells its face, coarsely: a face that wants more asks the
// session's questions when `state` comes. Each member may be left empty.
struct TSessionEvents {
    // The step a command or a production run's card is at now, as the status
    // panel words it.
    std::function<void(const std::string& caption)> step;
    // A passing remark on the command in hand (a step tried again).
    std::function<void(const std::string& text)> note;
    std::function<void(int percent)> progress;
    // A read ended: the face shows or saves what it read; returns when done.
    std::function<void(TPReadBack& readBack)> readBack;
    // Anything else a face shows changed.
    std::function<void()> state;
    // A frame sent or an answer judged, while the frames are logged.
    std::function<void(const std::string& line)> logLine;
};

// The session's view and gauge: every change its pieces make goes to the
// face as an event, every request to the face's view.
class TSessionRelay final : public TSessionView, public TProgressSink {
public:
    TSessionRelay(const TSessionEvents& events, TMainView* view) : events_(events), view_(view) {}
    // The language the state captions are worded in.
    void SetLang(const TPLang& lang) { lang_ = &lang; }

    void ShowStatus(const std::string& caption, TStatusColour /*colour*/) override {
        // Only a running command's own captions are steps: the programmer's
        // state is no step of it.
        if (running_ && events_.step && !IsStateCaption(caption)) {
            events_.step(caption);
        }
        Changed();
    }
    void ShowFileRow(TFileRow /*row*/, const TRowStatus& /*status*/) override { Changed(); }
    void ShowFieldText(TFileRow /*row*/, const std::string& /*text*/) override { Changed(); }
    void ShowCardLayout(const TCardLayout& /*layout*/) override { Changed(); }
    void ShowDescription(const std::string& /*text*/) override { Changed(); }
    void ShowFuses(const TFuseChoices& /*fuses*/) override { Changed(); }
    void ShowPortChoice(int /*comPort*/) override { Changed(); }
    void ShowSpeedChoice(TBaudRate /*rate*/) override { Changed(); }
    void ShowLanguage() override { Changed(); }
    void EnableCommands(bool enabled) override {
        running_ = !enabled;
        Changed();
    }
    void ShowNote(const std::string& text) override {
        if (events_.note) {
            events_.note(text);
        }
    }
    void ShowResult() override { Changed(); }

    void ShowReadBack(TPReadBack& readBack) override {
        if (view_ != nullptr) {
            view_->ShowReadBack(readBack);
        }
        if (events_.readBack) {
            events_.readBack(readBack);
        }
    }
    void ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) override {
        if (view_ != nullptr) {
            view_->ShowFileView(file, eepromKind, avrKind);
        }
    }
    void OpenDocument(const std::string& target) override {
        if (view_ != nullptr) {
            view_->OpenDocument(target);
        }
    }
    void RequestClose() override {
        if (view_ != nullptr) {
            view_->RequestClose();
        }
    }

    // The gauge's position now.
    int Percent() const { return percent_; }
    void SetProgress(int percent) override {
        percent_ = percent;
        if (events_.progress) {
            events_.progress(percent);
        }
    }

private:
    void Changed() {
        if (events_.state) {
            events_.state();
        }
    }
    bool IsStateCaption(const std::string& caption) const {
        return lang_ == nullptr || caption == lang_->GetText(entries::kNotConnected) ||
               caption == lang_->GetText(entries::kCardNotReady) ||
               caption == lang_->GetText(entries::kCardReady);
    }

    const TSessionEvents& events_;
    TMainView* view_;
    const TPLang* lang_ = nullptr;
    // Between a command's or a production run's start and end.
    bool running_ = false;
    int percent_ = 0;
};

} // namespace korvex
