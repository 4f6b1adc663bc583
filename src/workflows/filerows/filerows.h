#pragma once

#include "workflows/cardtype/cardchoice.h"
#include "workflows/filerows/images.h"
#include "workflows/presenter/mainview.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace korvex {

class TPLang;

// One image file row as a face shows it.
struct TRowView {
    std::string field;
    TRowStatus status;
    // Why the row shows no file although its field names one.
    std::string problem;

    bool operator==(const TRowView&) const = default;
};

// What a file row shows about its file.
enum class TRowState {
    rsNoFile,  // no usable file named (Problem() says why, when one is named)
    rsLoaded,  // the file is loaded into the row's images
    rsDefault, // the loader row: the default loader is loaded
    rsMissing, // the loader row: the default loader asked for is not there
    rsBlank,   // a row the card type has no use for
};

// The four image file rows: each row's field, what it shows, and the images
// its file fills, loaded together and emptied together. A row holds images
// exactly while it shows its file loaded, so nothing of a file that is no
// longer named, that could not be read, or that belonged to another card
// type can be written or verified.
class TPFileRows {
public:
    static constexpr const char* kDefaultState = "Default";
    static constexpr const char* kMissingState = "Missing";

    TPFileRows(const TPCardChoice& card, const TPLang& lang, TPrompts& prompts, TSessionView& view);

    const std::string& Field(TFileRow row) const { return At(row).field; }
    TRowState State(TFileRow row) const { return At(row).state; }
    // Worded in the language shown.
    TRowStatus Status(TFileRow row) const;
    // Why the row shows no file although its field names one; empty otherwise.
    const std::string& Problem(TFileRow row) const { return At(row).problem; }
    const TPImages& Images() const { return images_; }
    // The program file loaded gave a configuration word.
    bool CarriesConfigWord() const { return carriesWord_; }

    // Sets the field's text; a change (or `always`) evaluates the row. Both
    // return false when the row names a file that could not be loaded: the
    // error has been shown, once in a user action. A missing file or another
    // extension is no error, only the no-file state.
    bool SetField(TFileRow row, const std::string& text, bool always = false);
    bool Evaluate(TFileRow row);
    // Every row's images go, for a card type change; the fields stay.
    void EmptyAll();
    // A row the card type has no use for: no status, no images.
    void SetBlank(TFileRow row);

    // A command reads its files afresh at its start, once: each of `rows`
    // whose field is not empty is loaded again from the file as it is now.
    // The first of them that cannot be used, its row showing why; nothing
    // is loaded into the fuse choices.
    std::optional<TFileRow> ReloadForCommand(std::span<const TFileRow> rows);
    // The statuses told again in the language now shown.
    void Reword();
    // A new user action: a file's failure is shown afresh.
    void BeginAction() { reported_.clear(); }

    // Told when the program field has been set and evaluated, so the
    // configuration word of the file it names (or the lack of one) can reach
    // the fuse choices; not told when a command reads the files again.
    std::function<void()> OnProgramFileNamed;

    // The field as a card type file keeps it: a file's path made absolute, so
    // it names the same file from any folder; the default loader's word as it is.
    std::string StoredField(TFileRow row) const;

    // <program folder>/defaults/<loader name>.hex of the chosen processor.
    std::filesystem::path DefaultLoaderPath() const;
    // The file the loader row asks for, whether it exists or not.
    std::filesystem::path WantedLoader() const;
    // The file the loader row stands for; none when it does not exist.
    std::optional<std::filesystem::path> LoaderFile() const;

    // Five characters or more, an existing file, ending in .hex, .bin or .crd
    // in any letter case.
    static bool IsUsableFile(const std::string& text);
    // Why a text names no usable file, in the language shown; empty when it does.
    std::string WhyNotUsable(const std::string& text) const;

private:
    struct TRow {
        std::string field;
        TRowState state = TRowState::rsNoFile;
        std::string problem;
    };

    bool NamesDefaultLoader(const std::string& text) const;
    TRow& At(TFileRow row) { return rows_[static_cast<std::size_t>(row)]; }
    const TRow& At(TFileRow row) const { return rows_[static_cast<std::size_t>(row)]; }
    bool ProgramChange();
    bool EepromChange();
    bool IntEeChange();
    bool LoaderChange();
    void LoadProgram(const std::string& file);
    void LoadLoader(const std::filesystem::path& file);
    void LoadByteImage(THexFileBuffer& image, const std::string& file, std::int64_t memoryBytes,
                       const char* memory);
    void EmptyImages(TFileRow row);
    void SetState(TFileRow row, TRowState state, std::string problem = {});
    // The no-file state for a field that names no usable file; the images go.
    void SetNoFile(TFileRow row);
    // Runs `load`; on failure the row shows no file with the error as its
    // problem, and the error is shown unless this action showed it already.
    template <typename Load>
    bool Loading(TFileRow row, Load load);

    const TPCardChoice& card_;
    const TPLang& lang_;
    TPrompts& prompts_;
    TSessionView& view_;
    std::array<TRow, kFileRowCount> rows_;
    TPImages images_;
    bool carriesWord_ = false;
    // While a command reads its files: its own message says what failed.
    bool quiet_ = false;
    std::set<std::string> reported_;
};

} // namespace korvex
