#include "catalogue/cardbox.h"
#include "catalogue/processorkind.h"
#include "cli/commands.h"
#include "cli/messageline.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <algorithm>
#include <array>
#include <vector>

namespace korvex::cli {

namespace {

// A processor the catalogue does not know belongs to neither family here.
std::string Family(int picKind) {
    const TProcessorKind kind(picKind);
    if (!kind.Known()) {
        return "unknown";
    }
    return kind.IsAvr() ? "AVR" : "PIC";
}

std::string EepromOf(const TPCardInfo& card, int eepromKind) {
    if (card.EepromName.empty() || SameTextAscii(card.EepromName, "None")) {
        return "none";
    }
    return eepromKind < 0 ? card.EepromName + " (unknown)" : card.EepromName;
}

// Columns as wide as their longest entry, two blanks apart; the last one
// runs on.
void PrintTable(const std::vector<std::array<std::string, 5>>& rows, std::ostream& out) {
    std::array<std::size_t, 5> width{};
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            width[column] = std::max(width[column], row[column].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column + 1 < row.size(); ++column) {
            line += row[column] + std::string(width[column] - row[column].size() + 2, ' ');
        }
        out << line << row.back() << '\n';
    }
}

} // namespace

int RunCards(const TPDataFolders& folders, TCardsFormat format, std::ostream& out,
             std::ostream& err) {
    TPCardTypeBox box;
    box.SetBaseDir(folders);
    box.RefreshCardTypes();
    for (const TPSkippedCardFile& skipped : box.CardStore().SkippedFiles()) {
        err << WarningLine(skipped.file.string() + ": " + skipped.reason)
            << "; it is left out of the card types\n";
    }
    if (format == TCardsFormat::cfTsv) {
        out << "Name\tDescription\tProcessor\tEEPROM\tProcessor kind\tProgram size\t"
               "Internal EEPROM size\tEEPROM kind\tEEPROM size\n";
    }
    std::vector<std::array<std::string, 5>> table{
        {"Name", "Family", "Processor", "EEPROM", "Description"}};
    for (int i = 0; i < static_cast<int>(box.Items().size()); ++i) {
        box.SetItemIndex(i);
        box.CardChanged();
        const TPCardInfo& card = box.SelectedCard();
        if (format == TCardsFormat::cfTsv) {
            out << card.CardName << '\t' << card.CardDescription << '\t' << card.PicName << '\t'
                << card.EepromName << '\t' << box.GetPicKind() << '\t' << box.GetPicSize() << '\t'
                << box.GetPicIntEeSize() << '\t' << box.GetEepromKind() << '\t'
                << box.GetEepromSize() << '\n';
            continue;
        }
        table.push_back({card.CardName, Family(box.GetPicKind()), card.PicName,
                         EepromOf(card, box.GetEepromKind()), card.CardDescription});
    }
    if (format == TCardsFormat::cfText) {
        PrintTable(table, out);
    }
    return kExitOk;
}

} // namespace korvex::cli
