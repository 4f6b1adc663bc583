#pragma once

#include "workflows/workbench.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvex {

// The four image file rows: whenever a field's text changes the row is
// evaluated at once, and a usable file is loaded into the row's images. A
// file that cannot be loaded shows the no-file state and its error message;
// a row never shows a file as loaded before it has been read.
class TPFilePanel {
public:
    static constexpr const char* kDefaultState = "Default";
    static constexpr const char* kMissingState = "Missing";
    static constexpr const char* kLoaderQuestion =
        "Leave this field empty to use default loader.\r\n"
        "You should only load a loader if you are sure what you are doing. !\r\nContinue ?";

    explicit TPFilePanel(TPWorkbench& bench) : bench_(bench) {}

    // Sets the field's text; a change (or `always`) evaluates the row. Both
    // return false when the row names a file that could not be loaded (the
    // error has been shown, once in a user action); a missing file or another
    // extension is no error. A file that cannot be loaded leaves its row's
    // images empty: they hold a whole file or nothing.
    bool SetField(TFileRow row, const std::string& text, bool always = false);
    bool Evaluate(TFileRow row);

    // The program file's configuration word goes to the fuse choices.
    std::function<void()> OnShowFileConfig;

    // The loader's open button asks first; only a Yes opens the dialog.
    bool ConfirmLoaderChoice();
    // The view button: opens the file view window when there is a file to show.
    void View(TFileRow row);
    // <program folder>/defaults/<loader name>.hex of the selected processor.
    std::filesystem::path DefaultLoaderPath() const;
    // The file the loader row stands for; none when it does not exist.
    std::optional<std::filesystem::path> LoaderFile() const;
    // The file the loader row asks for, whether it exists or not.
    std::filesystem::path WantedLoader() const;

    // The extension test of every row: five characters or more, an existing
    // file, ending in .hex, .bin or .crd in any letter case.
    static bool IsUsableFile(const std::string& text);

private:
    bool ProgramChange();
    bool EepromChange();
    bool IntEeChange();
    bool LoaderChange();
    void LoadProgram(const std::filesystem::path& file, const std::string& ext);
    void LoadLoader(const std::filesystem::path& file);
    void LoadByteImage(THexFileBuffer& image, const std::string& text, std::int64_t memoryBytes,
                       const char* memory);
    // Empties the images a row loads, so nothing of a file that was refused,
    // or of one loaded before it, stays to be written.
    void EmptyImages(TFileRow row);
    void SetState(TFileRow row, const std::string& text, TStatusColour colour, bool view);
    void SetNoFile(TFileRow row);
    void SetLoaded(TFileRow row);
    // Runs `load`; on failure the row's images are emptied, it shows no
    // file, and the error is shown unless this action showed it already.
    template <typename Load>
    bool Loading(TFileRow row, Load load);

    TPWorkbench& bench_;
};

} // namespace korvex
