#pragma once

#include "link/picprog.h"
#include "support/logmemo.h"
#include "workflows/workbench.h"

#include <filesystem>
#include <string>

namespace korvex {

// The log panel: the conversation with the programmer, started and stopped,
// saved and cleared; the pause between blocks; the help and bug report targets.
class TPLogPanel {
public:
    static constexpr int kNormalWidth = 425;
    static constexpr int kWideWidth = 790;

    explicit TPLogPanel(TPWorkbench& bench) : bench_(bench) {}

    TLogMemo& Memo() { return memo_; }
    bool Logging() const { return bench_.prog && bench_.prog->LogMemo() == &memo_; }
    // The start/stop button names the action it offers.
    std::string LogButtonCaption() const { return Logging() ? "Stop log" : "Start log"; }
    void ToggleLog();
    // Every line, each ended by CR LF; the name is used as given. Throws
    // EInOutError "Cannot create file <name>: <reason>".
    void SaveLog(const std::filesystem::path& file) const;
    void ClearLog() { memo_.Clear(); }
    // Throws EConvertError "'<text>' is not a valid integer value"; the
    // pause then stays as it was.
    void SetDelay(const std::string& text);
    // The window's width after a double click on the panel's picture.
    static int ToggledWidth(int width) { return width <= 500 ? kWideWidth : kNormalWidth; }
    // The help document beside the program, when it is there.
    void OpenHelp();
    void OpenBugReport();

private:
    TPWorkbench& bench_;
    TLogMemo memo_;
};

} // namespace korvex
