#include "workflows/logpanel.h"

#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <system_error>

namespace korvex {

void TPLogPanel::ToggleLog() {
    if (!bench_.prog) {
        return;
    }
    bench_.prog->SetLogMemo(Logging() ? nullptr : &memo_);
}

void TPLogPanel::SaveLog(const std::filesystem::path& file) const {
    std::string text;
    for (const std::string& line : memo_.Lines()) {
        text += line + "\r\n";
    }
    try {
        WriteFileAtomically(file, text);
    } catch (const EInOutError& error) {
        throw EInOutError("Cannot create file " + file.string() + ": " + error.what(),
                          file.string());
    }
}

void TPLogPanel::SetDelay(const std::string& text) {
    const int ms = StrToInt(text);
    if (bench_.prog) {
        bench_.prog->SetDelay(ms);
    }
}

void TPLogPanel::OpenHelp() {
    const std::filesystem::path help = bench_.programFolder / bench_.Text(80);
    std::error_code error;
    if (std::filesystem::is_regular_file(help, error)) {
        bench_.view.OpenDocument(help.string());
    }
}

void TPLogPanel::OpenBugReport() {
    bench_.view.OpenDocument(bench_.Text(138));
}

} // namespace korvex
