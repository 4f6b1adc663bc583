#include "catalogue/cardbox.h"
#include "catalogue/processorkind.h"
#include "cli/commands/commandlist.h"
#include "cli/output/messageline.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <map>
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

// For people: a table with the processor family and the EEPROM by name.
// For scripts: tab-separated, with the catalogue's kind codes and sizes.
enum class TCardsFormat { cfText, cfTsv };

// One line per card type after a header; a warning line on stderr for each
// file left out of the list.
class TCardsCommand : public TCommand {
public:
    void Declare(CLI::App& app) override {
        Add(app, "cards", "List the card types with their processor and EEPROM")
            ->add_option("--format", format_,
                         "text (default) or tsv: tab-separated, with the kind codes and sizes")
            ->type_name("FORMAT")
            ->transform(CLI::CheckedTransformer(
                            std::map<std::string, TCardsFormat>{{"text", TCardsFormat::cfText},
                                                                {"tsv", TCardsFormat::cfTsv}})
                            .description(""));
    }

    int Run(const TPDataFolders& folders, const TGlobalOptions& /*options*/) override {
        return List(folders, std::cout, std::cerr);
    }

private:
    bool PrintsJson() const override { return false; }

    int List(const TPDataFolders& folders, std::ostream& out, std::ostream& err) const {
        const TCardsFormat format = format_;
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
                    << card.EepromName << '\t' << box.GetPicKind() << '\t' << box.GetPicSize()
                    << '\t' << box.GetPicIntEeSize() << '\t' << box.GetEepromKind() << '\t'
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

    TCardsFormat format_ = TCardsFormat::cfText;
};

} // namespace

std::unique_ptr<TCommand> NewCardsCommand() {
    return std::make_unique<TCardsCommand>();
}

} // namespace korvex::cli
