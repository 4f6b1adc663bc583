#pragma once

#include "link/clock.h"
#include "link/picprog.h"
#include "link/portmap.h"
#include "support/datafolders.h"
#include "support/lang.h"
#include "support/optionreader.h"
#include "support/settingsstore.h"
#include "workflows/cardtype/cardchoice.h"
#include "workflows/filerows/filerows.h"
#include "workflows/presenter/mainview.h"
#include "workflows/presenter/statuspanel.h"
#include "workflows/session/commandresult.h"
#include "workflows/session/line.h"
#include "workflows/session/portname.h"
#include "workflows/session/promptrelay.h"
#include "workflows/session/runstate.h"

#include <string>
#include <vector>

namespace korvex {

// The faces' side of the workflows: where messages, the gauge and everything
// else the window shows go.
struct TPFaces {
    TMainView& view;
    TPrompts& prompts;
    TProgressSink* gauge = nullptr;
    TClock* clock = nullptr; // the steady clock when none is given
    TLinkPrompts* linkPrompts = nullptr;
    TMessagePump* pump = nullptr;
    TPollScheduler* scheduler = nullptr;
};

// The gauge as the workflows pass it on: it remembers its position for the
// snapshot and hands every value to the face's gauge.
class TGaugeRelay final : public TProgressSink {
public:
    explicit TGaugeRelay(TProgressSink* face) : face_(face) {}
    void SetProgress(int percent) override {
        percent_ = percent;
        if (face_ != nullptr) {
            face_->SetProgress(percent);
        }
    }
    int Percent() const { return percent_; }

private:
    TProgressSink* face_;
    int percent_ = 0;
};

// The workflows' state, each part with its owner: the card type chosen, the
// file rows, the line and what runs; beside them the services they share
// (language, options, the faces' prompts, view, gauge and clock). Each owner
// keeps its own fields; the pieces of the workflows go through its methods.
struct TPWorkbench {
    TPWorkbench(TPDataFolders folders, TPSettingsStore& store, TPFaces faces,
                TBackendFactory factory)
        : dataFolders(std::move(folders)), settings(store), options(dataFolders), view(faces.view),
          prompts(faces.prompts, faces.linkPrompts, lang), gauge(faces.gauge),
          clock(faces.clock ? *faces.clock : TSteadyClock::Instance()), card(store),
          rows(card, lang, prompts, view),
          line(std::move(factory), TPicProgSeams{&clock, faces.pump, &prompts, faces.scheduler}),
          run(line), status(lang, view) {}
    TPWorkbench(const TPWorkbench&) = delete;
    TPWorkbench& operator=(const TPWorkbench&) = delete;

    TPDataFolders dataFolders;
    TPSettingsStore& settings;
    TPLang lang;
    TPOptionReader options;
    TMainView& view;
    TPromptRelay prompts;
    TGaugeRelay gauge;
    TClock& clock;

    TPCardChoice card;
    TPFileRows rows;
    TPLine line;
    TPRunState run;
    TPStatusPanel status;

    std::string windowCaption = "Korvex 2.1 Beta II";
    std::string languageName;
    std::vector<std::string> languages; // the language files found at start
    // Whether leaving a card type stores its settings in its file. A face that
    // only runs one command and goes (the command-line tool) leaves the files
    // alone unless the command is about those settings.
    bool storeCardDefaults = true;

    // Which device each port item stands for, when the face has a map.
    const TPortMap* ports = nullptr;

    // The remarks of the command in hand (the last few), gone when the next
    // command starts or the line changes; the result of the last command,
    // until the next one starts.
    static constexpr std::size_t kNotesKept = 2;
    std::vector<std::string> notes;
    TCommandResult result;
    void AddNote(const std::string& text) {
        notes.push_back(text);
        if (notes.size() > kNotesKept) {
            notes.erase(notes.begin());
        }
    }

    std::string Text(int entry) const { return lang.GetText(entry); }
    // The port chosen, as every message names it.
    TPortName PortName() const;
    // The time of day, "14:02:11", at which `clock` read `ms`.
    std::string TimeOfDay(std::int64_t ms) const;
    void SetWindowCaption(const std::string& caption) {
        windowCaption = caption;
        view.ShowWindowCaption(caption);
    }
    void ShowFuses() { view.ShowFuses(card.Fuses().Shown()); }
    // A new user action: failures are reported afresh.
    void BeginAction() { rows.BeginAction(); }
};

} // namespace korvex
