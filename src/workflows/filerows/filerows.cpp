#include "workflows/filerows/filerows.h"
#include "workflows/messagewords.h"

#include "images/hexfile.h"
#include "images/picmap.h"
#include "support/errors.h"
#include "support/lang.h"
#include "support/textconv.h"
#include "workflows/entries.h"
#include "workflows/filerows/imagefit.h"

#include <system_error>

namespace korvex {

namespace {

// Where the other regions of an AVR program file begin (avr-gcc's EEPROM
// and fuse sections); program data may not reach them.
constexpr std::int64_t kAvrOtherRegions = 0x800000;
// The configuration word of a PIC file, 0x2007 in word addresses.
constexpr std::int64_t kPicConfigWordAddress = 0x400E;

std::string Extension(const std::string& text) {
    return text.size() < 4 ? std::string() : AsciiLower(text.substr(text.size() - 4));
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

TPFileRows::TPFileRows(const TPCardChoice& card, const TPLang& lang, TPrompts& prompts,
                       TSessionView& view)
    : card_(card), lang_(lang), prompts_(prompts), view_(view) {
    At(TFileRow::frEeprom).state = TRowState::rsBlank;
    At(TFileRow::frLoader).state = TRowState::rsBlank;
}

bool TPFileRows::IsUsableFile(const std::string& text) {
    const std::string ext = Extension(text);
    return text.size() >= 5 && (ext == ".hex" || ext == ".bin" || ext == ".crd") && IsFile(text);
}

std::string TPFileRows::WhyNotUsable(const std::string& text) const {
    if (text.empty() || IsUsableFile(text)) {
        return {};
    }
    const std::string ext = Extension(text);
    if (text.size() < 5 || (ext != ".hex" && ext != ".bin" && ext != ".crd")) {
        return lang_.GetText(entries::kNotImageFile);
    }
    std::error_code error;
    if (std::filesystem::is_directory(text, error)) {
        return lang_.GetText(entries::kIsFolder);
    }
    return lang_.GetText(entries::kNoSuchFile);
}

TRowStatus TPFileRows::Status(TFileRow row) const {
    switch (At(row).state) {
    case TRowState::rsNoFile:
        return {lang_.GetText(entries::kNoFile), TStatusColour::scRed, false};
    case TRowState::rsLoaded:
        return {lang_.GetText(entries::kFileFound), TStatusColour::scLime, true};
    case TRowState::rsDefault:
        return {kDefaultState, TStatusColour::scLime, true};
    case TRowState::rsMissing:
        return {kMissingState, TStatusColour::scRed, false};
    case TRowState::rsBlank:
        break;
    }
    return {"", TStatusColour::scButtonFace, false};
}

void TPFileRows::SetState(TFileRow row, TRowState state, std::string problem) {
    TRow& shown = At(row);
    shown.state = state;
    shown.problem = std::move(problem);
    view_.ShowFileRow(row, Status(row));
}

void TPFileRows::SetNoFile(TFileRow row) {
    EmptyImages(row);
    SetState(row, TRowState::rsNoFile, WhyNotUsable(At(row).field));
}

void TPFileRows::SetBlank(TFileRow row) {
    EmptyImages(row);
    SetState(row, TRowState::rsBlank);
}

void TPFileRows::Reword() {
    for (const TFileRow row :
         {TFileRow::frProgram, TFileRow::frEeprom, TFileRow::frIntEeprom, TFileRow::frLoader}) {
        TRow& shown = At(row);
        if (shown.state == TRowState::rsNoFile) {
            shown.problem = WhyNotUsable(shown.field);
        }
        view_.ShowFileRow(row, Status(row));
    }
}

bool TPFileRows::SetField(TFileRow row, const std::string& text, bool always) {
    TRow& shown = At(row);
    if (shown.field == text && !always) {
        return true;
    }
    shown.field = text;
    view_.ShowFieldText(row, shown.field);
    const bool loaded = Evaluate(row);
    if (row == TFileRow::frProgram && OnProgramFileNamed) {
        OnProgramFileNamed();
    }
    return loaded;
}

bool TPFileRows::Evaluate(TFileRow row) {
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

void TPFileRows::EmptyImages(TFileRow row) {
    const auto empty = [](THexFileBuffer& image) { image = THexFileBuffer(image.Capacity()); };
    switch (row) {
    case TFileRow::frProgram:
        empty(images_.program);
        carriesWord_ = false;
        // An AVR's internal EEPROM has a row of its own; a PIC's comes with its program.
        if (card_.Kind().IsPic()) {
            empty(images_.intEeprom);
            empty(images_.config);
        }
        break;
    case TFileRow::frEeprom:
        empty(images_.extEeprom);
        break;
    case TFileRow::frIntEeprom:
        if (card_.Kind().IsAvr()) {
            empty(images_.intEeprom);
        }
        break;
    case TFileRow::frLoader:
        empty(images_.loader);
        empty(images_.loaderConfig);
        break;
    }
}

void TPFileRows::EmptyAll() {
    images_ = TPImages{};
    carriesWord_ = false;
}

template <typename Load>
bool TPFileRows::Loading(TFileRow row, Load load) {
    try {
        load();
        return true;
    } catch (const EKorvex& error) {
        EmptyImages(row);
        const std::string message = WordedError(lang_, error);
        SetState(row, TRowState::rsNoFile, message);
        if (!quiet_ && reported_.insert(message).second) {
            prompts_.ShowMessage(TMessageKind::mkError, -1, message);
        }
        return false;
    }
}

std::optional<TFileRow> TPFileRows::ReloadForCommand(std::span<const TFileRow> rows) {
    quiet_ = true;
    std::optional<TFileRow> unusable;
    for (const TFileRow row : rows) {
        // An empty loader field asks for the default loader; any other empty
        // field names nothing, which the command judges for itself.
        if (At(row).field.empty() && row != TFileRow::frLoader) {
            continue;
        }
        Evaluate(row);
        const TRowState state = At(row).state;
        if (!unusable && state != TRowState::rsLoaded && state != TRowState::rsDefault) {
            unusable = row;
        }
    }
    quiet_ = false;
    return unusable;
}

// Paths are taken as typed: only the extension test ignores letter case, since
// a Linux file name is exact.
bool TPFileRows::ProgramChange() {
    const std::string text = Field(TFileRow::frProgram);
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frProgram);
        return true;
    }
    if (!Loading(TFileRow::frProgram, [&] { LoadProgram(text); })) {
        return false;
    }
    SetState(TFileRow::frProgram, TRowState::rsLoaded);
    return true;
}

// The program, internal EEPROM and configuration images of a file are read
// from one parse into fresh images, and take the place of the old ones only
// when the whole file went in. A .crd file is accepted but holds no image:
// nothing of an earlier file may stand in for it.
void TPFileRows::LoadProgram(const std::string& file) {
    const std::string ext = Extension(file);
    const TProcessorKind kind = card_.Kind();
    const bool avr = kind.IsAvr();
    // Program sizes count words, for both families: a write sends them all.
    const std::int64_t programBytes = 2 * static_cast<std::int64_t>(card_.ProgramWords());
    const char* fill = avr ? "FFFF" : "FF3F";
    THexFileBuffer program(images_.program.Capacity());
    THexFileBuffer intEeprom(images_.intEeprom.Capacity());
    THexFileBuffer config(images_.config.Capacity());
    program.SetFillPattern(fill);
    intEeprom.SetFillPattern(fill);
    config.SetFillPattern(fill);
    bool carriesWord = false;
    if (ext == ".hex") {
        const THexFile hex = THexFile::Read(file);
        CheckHexProgramFits(hex, programBytes, avr ? kAvrOtherRegions : kPicConfigAddress,
                            "program memory");
        if (!avr) {
            CheckPicGapEmpty(hex);
            intEeprom.LoadHexSwapped(hex, kPicEepromAddress, -1);
            CheckPicEepromFits(file, intEeprom.HighestWritten(), card_.DataBytes());
            config.LoadHexSwapped(hex, kPicConfigAddress, kPicConfigLimit);
            carriesWord = hex.HasDataIn(kPicConfigWordAddress, kPicConfigWordAddress + 2);
        }
        program.LoadHexSwapped(hex, 0, programBytes - 1);
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
        EmptyImages(TFileRow::frProgram);
        return;
    }
    CheckProgramWords(file, program.GetHexText(0, -1), kind.ProgramWordMask());
    images_.program = std::move(program);
    carriesWord_ = carriesWord;
    if (!avr) {
        images_.intEeprom = std::move(intEeprom);
        images_.config = std::move(config);
    }
}

// An EEPROM file: HEX, or binary from its first byte, read into a fresh
// image that replaces the old one only when the whole file fits; a .crd
// file holds no image.
void TPFileRows::LoadByteImage(THexFileBuffer& image, const std::string& file,
                               std::int64_t memoryBytes, const char* memory) {
    const std::string ext = Extension(file);
    THexFileBuffer loaded(image.Capacity());
    if (ext == ".hex") {
        loaded.LoadHex(THexFile::Read(file), 0, -1);
    } else if (ext == ".bin") {
        loaded.Clear();
        loaded.LoadBinary(file, 0, -1);
    }
    CheckLoadedFits(file, loaded.HighestWritten(), memoryBytes, memory);
    image = std::move(loaded);
}

bool TPFileRows::EepromChange() {
    if (!card_.HasEeprom()) {
        SetBlank(TFileRow::frEeprom);
        return true;
    }
    const std::string text = Field(TFileRow::frEeprom);
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frEeprom);
        return true;
    }
    const bool loaded = Loading(TFileRow::frEeprom, [&] {
        LoadByteImage(images_.extEeprom, text, card_.EepromBytes(), "eeprom");
    });
    if (loaded) {
        SetState(TFileRow::frEeprom, TRowState::rsLoaded);
    }
    return loaded;
}

// A PIC's internal EEPROM comes from its program file: the row has no use
// for a PIC card type.
bool TPFileRows::IntEeChange() {
    if (card_.Kind().IsPic()) {
        SetBlank(TFileRow::frIntEeprom);
        return true;
    }
    const std::string text = Field(TFileRow::frIntEeprom);
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frIntEeprom);
        return true;
    }
    const bool loaded = Loading(TFileRow::frIntEeprom, [&] {
        LoadByteImage(images_.intEeprom, text, card_.DataBytes(), "internal eeprom");
    });
    if (loaded) {
        SetState(TFileRow::frIntEeprom, TRowState::rsLoaded);
    }
    return loaded;
}

bool TPFileRows::NamesDefaultLoader(const std::string& text) const {
    const std::string lower = AsciiLower(text);
    return lower.empty() || lower == "default" || text == lang_.GetText(entries::kDefaultLoader);
}

std::string TPFileRows::StoredField(TFileRow row) const {
    const std::string& text = Field(row);
    if (text.empty() || (row == TFileRow::frLoader && NamesDefaultLoader(text))) {
        return text;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(text, error);
    return error ? text : absolute.lexically_normal().string();
}

std::filesystem::path TPFileRows::DefaultLoaderPath() const {
    return card_.DefaultLoaderFile();
}

bool TPFileRows::LoaderChange() {
    if (!card_.HasEeprom()) {
        SetBlank(TFileRow::frLoader);
        return true;
    }
    const std::string text = Field(TFileRow::frLoader);
    if (NamesDefaultLoader(text)) {
        const std::filesystem::path defaultLoader = DefaultLoaderPath();
        // An empty field asks for the default loader as "default" does, and
        // says so as plainly when that loader is missing.
        if (defaultLoader.empty() || !IsFile(defaultLoader)) {
            EmptyImages(TFileRow::frLoader);
            SetState(TFileRow::frLoader, TRowState::rsMissing, lang_.GetText(entries::kNoSuchFile));
            return true;
        }
        if (!Loading(TFileRow::frLoader, [&] { LoadLoader(defaultLoader); })) {
            return false;
        }
        SetState(TFileRow::frLoader, TRowState::rsDefault);
        return true;
    }
    if (!IsUsableFile(text)) {
        SetNoFile(TFileRow::frLoader);
        return true;
    }
    if (!Loading(TFileRow::frLoader, [&] { LoadLoader(text); })) {
        return false;
    }
    SetState(TFileRow::frLoader, TRowState::rsLoaded);
    return true;
}

// A loader is always read as a HEX file, into fresh images that replace the
// old ones together.
void TPFileRows::LoadLoader(const std::filesystem::path& file) {
    const std::int64_t programBytes = 2 * static_cast<std::int64_t>(card_.ProgramWords());
    const THexFile hex = THexFile::Read(file);
    THexFileBuffer loader(images_.loader.Capacity());
    THexFileBuffer loaderConfig(images_.loaderConfig.Capacity());
    loader.SetFillPattern("FFFF");
    const bool pic = card_.Kind().IsPic();
    if (pic) {
        loaderConfig.SetFillPattern("FF3F");
        loader.SetFillPattern("FF3F");
        loaderConfig.LoadHexSwapped(hex, kPicConfigAddress, kPicConfigLimit);
    }
    loader.LoadHexSwapped(hex, 0, programBytes);
    images_.loader = std::move(loader);
    if (pic) {
        images_.loaderConfig = std::move(loaderConfig);
    }
}

std::filesystem::path TPFileRows::WantedLoader() const {
    const std::string& text = Field(TFileRow::frLoader);
    if (NamesDefaultLoader(text)) {
        return DefaultLoaderPath();
    }
    return text;
}

std::optional<std::filesystem::path> TPFileRows::LoaderFile() const {
    const std::filesystem::path wanted = WantedLoader();
    if (!wanted.empty() && IsFile(wanted)) {
        return wanted;
    }
    return std::nullopt;
}

} // namespace korvex
