#include "workflows/filepanel.h"

#include "images/picmap.h"
#include "support/errors.h"
#include "support/textconv.h"
#include "workflows/imagefit.h"

#include <system_error>

namespace korvex {

namespace {

// Where the other regions of an AVR program file begin (avr-gcc's EEPROM
// and fuse sections); program data may not reach them.
constexpr std::int64_t kAvrOtherRegions = 0x800000;

std::string Extension(const std::string& text) {
    return text.size() < 4 ? std::string() : AsciiLower(text.substr(text.size() - 4));
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

bool TPFilePanel::IsUsableFile(const std::string& text) {
    const std::string ext = Extension(text);
    return text.size() >= 5 && (ext == ".hex" || ext == ".bin" || ext == ".crd") && IsFile(text);
}

bool TPFilePanel::SetField(TFileRow row, const std::string& text, bool always) {
    std::string& field = bench_.Field(row);
    if (field == text && !always) {
        return true;
    }
    field = text;
    bench_.view.ShowFieldText(row, field);
    return Evaluate(row);
}

bool TPFilePanel::Evaluate(TFileRow row) {
    switch (row) {
    case TFileRow::frProgram:
        return ProgramChange();
    case TFileRow::frEeprom:
        return EepromChange();
    case TFileRow::frIntEeprom:
        return IntEeChange();
    case TFileRow::frLoader:
        return LoaderChange();
    }
    return true;
}

void TPFilePanel::SetState(TFileRow row, const std::string& text, TStatusColour colour, bool view) {
    bench_.SetRow(row, {text, colour, view});
}

void TPFilePanel::SetNoFile(TFileRow row) {
    SetState(row, bench_.noFileText, TStatusColour::scRed, false);
}

void TPFilePanel::SetLoaded(TFileRow row) {
    SetState(row, bench_.Text(121), TStatusColour::scLime, true);
}

void TPFilePanel::EmptyImages(TFileRow row) {
    TPImages& images = bench_.images;
    const auto empty = [](THexFileBuffer& image) { image = THexFileBuffer(image.Capacity()); };
    switch (row) {
    case TFileRow::frProgram:
        empty(images.program);
        // An AVR's internal EEPROM has a row of its own; a PIC's comes with its program.
        if (bench_.cardBox.GetPicKind() < 8) {
            empty(images.intEeprom);
            empty(images.config);
        }
        break;
    case TFileRow::frEeprom:
        empty(images.extEeprom);
        break;
    case TFileRow::frIntEeprom:
        empty(images.intEeprom);
        break;
    case TFileRow::frLoader:
        empty(images.loader);
        empty(images.loaderConfig);
        break;
    }
}

template <typename Load>
bool TPFilePanel::Loading(TFileRow row, Load load) {
    try {
        load();
        return true;
    } catch (const EKorvex& error) {
        EmptyImages(row);
        SetNoFile(row);
        const std::string message = DescribeError(error);
        if (bench_.reportedFailures.insert(message).second) {
            bench_.prompts.ShowMessage(TMessageKind::mkError, -1, message);
        }
        return false;
    }
}

// Paths are taken as typed: only the extension test ignores letter case, since
// a Linux file name is exact.
bool TPFilePanel::ProgramChange() {
    const std::string text = bench_.Field(TFileRow::frProgram);
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frProgram);
        return true;
    }
    if (!Loading(TFileRow::frProgram, [&] { LoadProgram(text, Extension(text)); })) {
        return false;
    }
    // A .crd file is accepted but holds no image: nothing of an earlier file
    // may stand in for it.
    if (Extension(text) == ".crd") {
        EmptyImages(TFileRow::frProgram);
    }
    SetLoaded(TFileRow::frProgram);
    if (!bench_.autoRunning && OnShowFileConfig) {
        OnShowFileConfig();
    }
    return true;
}

// The program, internal EEPROM and configuration images of a file are read
// into fresh images and take the place of the old ones only when the whole
// file went in.
void TPFilePanel::LoadProgram(const std::filesystem::path& file, const std::string& ext) {
    TPImages& images = bench_.images;
    const bool avr = bench_.cardBox.GetPicKind() >= 8;
    const std::int64_t programSize = bench_.cardBox.GetPicSize();
    // Program sizes count words, for both families: a write sends them all.
    const std::int64_t programBytes = 2 * programSize;
    const char* fill = avr ? "FFFF" : "FF3F";
    THexFileBuffer program(images.program.Capacity());
    THexFileBuffer intEeprom(images.intEeprom.Capacity());
    THexFileBuffer config(images.config.Capacity());
    program.SetFillPattern(fill);
    intEeprom.SetFillPattern(fill);
    config.SetFillPattern(fill);
    if (ext == ".hex") {
        CheckHexProgramFits(file, programBytes, avr ? kAvrOtherRegions : kPicConfigAddress,
                            "program memory");
        if (!avr) {
            intEeprom.LoadHexSwapped(file, kPicEepromAddress, -1);
            CheckPicEepromFits(file, intEeprom.HighestWritten(), bench_.cardBox.GetPicIntEeSize());
            config.LoadHexSwapped(file, kPicConfigAddress, kPicConfigLimit);
        }
        program.LoadHexSwapped(file, 0, programBytes - 1);
    } else if (ext == ".bin") {
        CheckBinaryProgramFits(file, programBytes, "program memory");
        // A binary file is the whole program: the images a binary file has no
        // part for are blank. No word swap follows a binary load, so blank
        // words go in as they read.
        const char* blank = avr ? "FFFF" : "3FFF";
        for (THexFileBuffer* image : {&program, &intEeprom, &config}) {
            image->SetFillPattern(blank);
            image->Clear();
        }
        program.LoadBinary(file, 0, programBytes - 1);
    } else {
        return;
    }
    images.program = std::move(program);
    if (!avr) {
        images.intEeprom = std::move(intEeprom);
        images.config = std::move(config);
    }
}

// An EEPROM file: HEX, or binary from its first byte, read into a fresh
// image that replaces the old one only when the whole file fits; a .crd
// file holds no image.
void TPFilePanel::LoadByteImage(THexFileBuffer& image, const std::string& text,
                                std::int64_t memoryBytes, const char* memory) {
    const std::string ext = Extension(text);
    THexFileBuffer loaded(image.Capacity());
    if (ext == ".hex") {
        loaded.LoadHex(text, 0, -1);
    } else if (ext == ".bin") {
        loaded.Clear();
        loaded.LoadBinary(text, 0, -1);
    }
    CheckLoadedFits(text, loaded.HighestWritten(), memoryBytes, memory);
    image = std::move(loaded);
}

bool TPFilePanel::EepromChange() {
    const std::string text = bench_.Field(TFileRow::frEeprom);
    if (text.size() <= 4) {
        if (bench_.cardBox.GetEepromKind() != -1) {
            SetNoFile(TFileRow::frEeprom);
        }
        return true;
    }
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frEeprom);
        return true;
    }
    const bool loaded = Loading(TFileRow::frEeprom, [&] {
        LoadByteImage(bench_.images.extEeprom, text, bench_.cardBox.GetEepromSize(), "eeprom");
    });
    if (loaded) {
        SetLoaded(TFileRow::frEeprom);
    }
    return loaded;
}

bool TPFilePanel::IntEeChange() {
    const std::string text = bench_.Field(TFileRow::frIntEeprom);
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frIntEeprom);
        return true;
    }
    // A PIC's internal EEPROM comes from its program file; only an AVR's is read here.
    if (bench_.cardBox.GetPicKind() >= 8) {
        const bool loaded = Loading(TFileRow::frIntEeprom, [&] {
            LoadByteImage(bench_.images.intEeprom, text, bench_.cardBox.GetPicIntEeSize(),
                          "internal eeprom");
        });
        if (!loaded) {
            return false;
        }
    }
    SetLoaded(TFileRow::frIntEeprom);
    return true;
}

std::filesystem::path TPFilePanel::DefaultLoaderPath() const {
    return bench_.cardBox.GetDefaultLoaderFile();
}

bool TPFilePanel::LoaderChange() {
    const std::string text = bench_.Field(TFileRow::frLoader);
    const std::string lower = AsciiLower(text);
    const std::filesystem::path defaultLoader = DefaultLoaderPath();
    const bool defaultFound = !defaultLoader.empty() && IsFile(defaultLoader);

    if (lower.empty() || lower == "default") {
        // An empty field asks for the default loader as "default" does, and
        // says so as plainly when that loader is missing.
        if (!defaultFound) {
            SetState(TFileRow::frLoader, kMissingState, TStatusColour::scRed, false);
            return true;
        }
        if (!Loading(TFileRow::frLoader, [&] { LoadLoader(defaultLoader); })) {
            return false;
        }
        SetState(TFileRow::frLoader, kDefaultState, TStatusColour::scLime, true);
        return true;
    }
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frLoader);
        return true;
    }
    if (!Loading(TFileRow::frLoader, [&] { LoadLoader(text); })) {
        return false;
    }
    SetLoaded(TFileRow::frLoader);
    return true;
}

// A loader is always read as a HEX file, into fresh images that replace the
// old ones together.
void TPFilePanel::LoadLoader(const std::filesystem::path& file) {
    TPImages& images = bench_.images;
    const std::int64_t programBytes = 2 * static_cast<std::int64_t>(bench_.cardBox.GetPicSize());
    THexFileBuffer loader(images.loader.Capacity());
    THexFileBuffer loaderConfig(images.loaderConfig.Capacity());
    loader.SetFillPattern("FFFF");
    const bool pic = bench_.cardBox.GetPicKind() < 8;
    if (pic) {
        loaderConfig.SetFillPattern("FF3F");
        loader.SetFillPattern("FF3F");
        loaderConfig.LoadHexSwapped(file, kPicConfigAddress, kPicConfigLimit);
    }
    loader.LoadHexSwapped(file, 0, programBytes);
    images.loader = std::move(loader);
    if (pic) {
        images.loaderConfig = std::move(loaderConfig);
    }
}

bool TPFilePanel::ConfirmLoaderChoice() {
    return bench_.prompts.Ask(-1, kLoaderQuestion);
}

std::filesystem::path TPFilePanel::WantedLoader() const {
    const std::string text = bench_.fields[static_cast<std::size_t>(TFileRow::frLoader)];
    const std::string lower = AsciiLower(text);
    if (lower.empty() || lower == "default") {
        return DefaultLoaderPath();
    }
    return text;
}

std::optional<std::filesystem::path> TPFilePanel::LoaderFile() const {
    const std::filesystem::path wanted = WantedLoader();
    if (!wanted.empty() && IsFile(wanted)) {
        return wanted;
    }
    return std::nullopt;
}

void TPFilePanel::View(TFileRow row) {
    const bool avr = bench_.cardBox.GetPicKind() > 7;
    const std::string& text = bench_.Field(row);
    switch (row) {
    case TFileRow::frProgram:
        bench_.view.ShowFileView(text, false, avr);
        break;
    case TFileRow::frEeprom:
        if (!text.empty()) {
            bench_.view.ShowFileView(text, true, avr);
        }
        break;
    case TFileRow::frIntEeprom:
        bench_.view.ShowFileView(text, true, avr);
        break;
    case TFileRow::frLoader:
        if (const auto file = LoaderFile()) {
            bench_.view.ShowFileView(*file, false, avr);
        }
        break;
    }
}

} // namespace korvex
