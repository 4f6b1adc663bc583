#pragma once

// The prompts of a bench that drives the workflows as korvex-cli --yes does.
#include "workflows/presenter/mainview.h"

#include <string>

namespace korvex::bench {

// Every question answered yes; warnings and errors kept for the report.
class TAnsweringPrompts final : public TPrompts {
public:
    void ShowMessage(TMessageKind kind, int /*entry*/, const std::string& text) override {
        if (kind != TMessageKind::mkInformation) {
            problems += text + "; ";
        }
    }
    bool Ask(int /*entry*/, const std::string& /*text*/, TAnswer /*preset*/) override {
        return true;
    }
    void ShowPlain(const std::string& /*title*/, const std::string& /*text*/) override {}

    std::string problems;
};

} // namespace korvex::bench
