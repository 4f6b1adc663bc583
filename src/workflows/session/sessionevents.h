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

// The session's view and gauge: every change goes to the events, and to the
// view of a face that draws each one as it happens.
class TSessionRelay final : public TMainView, public TProgressSink {
public:
    TSessionRelay(const TSessionEvents& events, TMainView* view) : events_(events), view_(view) {}
    // The language the state captions are worded in.
    void SetLang(const TPLang& lang) { lang_ = &lang; }

    void ShowStatus(const std::string& caption, TStatusColour colour) override {
        Tell([&](TMainView& view) { view.ShowStatus(caption, colour); });
        // Only a running command's own captions are steps: the programmer's
        // state is no step of it.
        if (running_ && events_.step && !IsStateCaption(caption)) {
            events_.step(caption);
        }
    }
    void ShowFileRow(TFileRow row, const TRowStatus& status) override {
        Tell([&](TMainView& view) { view.ShowFileRow(row, status); });
    }
    void ShowFieldText(TFileRow row, const std::string& text) override {
        Tell([&](TMainView& view) { view.ShowFieldText(row, text); });
    }
    void ShowCardLayout(const TCardLayout& layout) override {
        Tell([&](TMainView& view) { view.ShowCardLayout(layout); });
    }
    void ShowDescription(const std::string& text) override {
        Tell([&](TMainView& view) { view.ShowDescription(text); });
    }
    void ShowFuses(const TFuseChoices& fuses) override {
        Tell([&](TMainView& view) { view.ShowFuses(fuses); });
    }
    void ShowWindowCaption(const std::string& caption) override {
        Tell([&](TMainView& view) { view.ShowWindowCaption(caption); });
    }
    void ShowPortChoice(int comPort) override {
        Tell([&](TMainView& view) { view.ShowPortChoice(comPort); });
    }
    void ShowSpeedChoice(TBaudRate rate) override {
        Tell([&](TMainView& view) { view.ShowSpeedChoice(rate); });
    }
    void ShowLanguage() override {
        Tell([](TMainView& view) { view.ShowLanguage(); });
    }
    void EnableCommands(bool enabled) override {
        running_ = !enabled;
        Tell([&](TMainView& view) { view.EnableCommands(enabled); });
    }
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
    void ShowNote(const std::string& text) override {
        if (view_ != nullptr) {
            view_->ShowNote(text);
        }
        if (events_.note) {
            events_.note(text);
        }
    }
    void ShowResult() override {
        Tell([](TMainView& view) { view.ShowResult(); });
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
    template <typename Show>
    void Tell(Show show) {
        if (view_ != nullptr) {
            show(*view_);
        }
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
