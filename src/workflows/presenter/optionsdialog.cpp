#include "workflows/presenter/optionsdialog.h"

#include "support/errors.h"
#include "support/textconv.h"
#include "workflows/entries.h"

#include <stdexcept>

namespace korvex {

namespace {

using R = TPOptionReader;
using B = TOptionBoxes;

// Auto four, then the Write Eeprom pair, then the Write Pic pair: the order
// in which the dialog has always read and written them.
constexpr std::array<TOptionField, 8> kFields{{
    {"Auto", "WriteEe", "chkawEeprom", &B::chkawEeprom, &R::GetAutoWriteEe, &R::SetAutoWriteEe},
    {"Auto", "VerifyEe", "chkavEeprom", &B::chkavEeprom, &R::GetAutoVerifyEe, &R::SetAutoVerifyEe},
    {"Auto", "WritePic", "chkawPic", &B::chkawPic, &R::GetAutoWritePic, &R::SetAutoWritePic},
    {"Auto", "VerifyPic", "chkavPic", &B::chkavPic, &R::GetAutoVerifyPic, &R::SetAutoVerifyPic},
    {"WriteEeprom", "WriteEe", "chkwwEeprom", &B::chkwwEeprom, &R::GetWriteEeWrite,
     &R::SetWriteEeWrite},
    {"WriteEeprom", "VerifyEe", "chkwvEeprom", &B::chkwvEeprom, &R::GetWriteEeVerify,
     &R::SetWriteEeVerify},
    {"WritePic", "WritePic", "chkwwPic", &B::chkwwPic, &R::GetWritePicWrite, &R::SetWritePicWrite},
    {"WritePic", "VerifyPic", "chkwvPic", &B::chkwvPic, &R::GetWritePicVerify,
     &R::SetWritePicVerify},
}};

constexpr std::array<TOptionCaption, 16> kCaptions{{
    {entries::kOptionAutoWriteEeprom, "chkawEeprom"},
    {entries::kOptionAutoVerifyEeprom, "chkavEeprom"},
    {entries::kOptionAutoWritePic, "chkawPic"},
    {entries::kOptionAutoVerifyPic, "chkavPic"},
    {entries::kOptionAutoCaption, "lnlAutoCaption"},
    {entries::kOptionAutoTab, "tbsAuto"},
    {entries::kOptionCancel, "btnCancel"},
    {entries::kOptionOk, "btnOk"},
    {entries::kOptionWriteTab, "tbsWrite"},
    {entries::kOptionWritePic, "chkwwPic"},
    {entries::kOptionVerifyPic, "chkwvPic"},
    {entries::kOptionPicCaption, "lblPicPressed"},
    {entries::kOptionEepromCaption, "lblVerify"},
    {entries::kOptionWriteEeprom, "chkwwEeprom"},
    {entries::kOptionVerifyEeprom, "chkwvEeprom"},
    {entries::kStepRetries, "lblStepRetries"},
}};

std::string ValidNames() {
    std::string names;
    for (const TOptionField& field : kFields) {
        names += (names.empty() ? "" : ", ") + field.Name();
    }
    // Named with the rest, or whoever mistypes it never learns it exists.
    return names + " and " + std::string(TPOptionsDialog::kStepRetriesName) + " (0 to " +
           std::to_string(TPOptionReader::kMostStepRetries) + ")";
}

bool ParseOnOff(std::string_view value) {
    for (std::string_view on : {"on", "1", "true", "yes"}) {
        if (SameTextAscii(value, on)) {
            return true;
        }
    }
    for (std::string_view off : {"off", "0", "false", "no"}) {
        if (SameTextAscii(value, off)) {
            return false;
        }
    }
    throw std::invalid_argument("'" + std::string(value) + "' is neither on nor off");
}

} // namespace

std::string TOptionField::Name() const {
    return std::string(section) + "/" + std::string(key);
}

std::span<const TOptionField> TPOptionsDialog::Fields() {
    return kFields;
}

std::span<const TOptionCaption> TPOptionsDialog::Captions() {
    return kCaptions;
}

std::optional<std::string> TPOptionsDialog::Show(TPOptionReader& reader, TOptionBoxes& boxes) {
    try {
        for (const TOptionField& field : kFields) {
            boxes.*field.box = field.Get(reader);
        }
        boxes.stepRetries = reader.GetStepRetries();
    } catch (const std::exception& error) {
        return DescribeError(error);
    }
    return std::nullopt;
}

std::optional<std::string> TPOptionsDialog::Accept(TPOptionReader& reader,
                                                   const TOptionBoxes& boxes) {
    try {
        for (const TOptionField& field : kFields) {
            field.Set(reader, boxes.*field.box);
        }
        if (boxes.stepRetries != reader.GetStepRetries()) {
            reader.SetStepRetries(boxes.stepRetries);
        }
    } catch (const std::exception& error) {
        return DescribeError(error);
    }
    return std::nullopt;
}

const TOptionField& TPOptionsDialog::Find(std::string_view name) {
    for (const TOptionField& field : kFields) {
        if (SameTextAscii(field.Name(), name)) {
            return field;
        }
    }
    throw std::invalid_argument("Unknown option '" + std::string(name) + "'; the options are " +
                                ValidNames());
}

TOptionSetting TPOptionsDialog::ParseSetting(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        throw std::invalid_argument("'" + std::string(text) +
                                    "' should read Section/Key=on or Section/Key=off");
    }
    const TOptionField& field = Find(text.substr(0, equals));
    return {&field, ParseOnOff(text.substr(equals + 1))};
}

} // namespace korvex
