#include "catalogue/serialfieldini.h"

#include "catalogue/carderrors.h"
#include "support/inifile.h"
#include "support/textconv.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace korvex {

namespace {

constexpr std::string_view kSerial = "Serial";
constexpr std::string_view kCounterKeys[] = {"First", "Step", "Last"};
constexpr std::string_view kKnownKeys[] = {"Memory", "Address", "Length", "Format",
                                           "First",  "Step",    "Last",   "List"};

// Reads one section, with the file and section put in front of every complaint.
class TFieldReader {
public:
    TFieldReader(const TPIniFile& ini, const std::filesystem::path& file, std::string section)
        : ini_(ini), file_(file), section_(std::move(section)) {}

    [[noreturn]] void Refuse(const std::string& problem) const {
        throw ESerialField(file_.string() + " [" + section_ + "]: " + problem);
    }

    bool Has(std::string_view key) const { return ini_.ValueExists(section_, key); }

    std::string Text(std::string_view key) const {
        if (!Has(key)) {
            Refuse(std::string(key) + " is missing");
        }
        return ini_.ReadString(section_, key, "");
    }

    // Decimal, or hexadecimal after 0x.
    std::uint64_t Number(std::string_view key, std::uint64_t largest) const {
        const std::string text = Text(key);
        std::string_view digits = text;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        std::uint64_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            value > largest) {
            Refuse(std::string(key) + " \"" + text + "\" is no number from 0 to " +
                   std::to_string(largest));
        }
        return value;
    }

    std::uint64_t NumberOr(std::string_view key, std::uint64_t def) const {
        return Has(key) ? Number(key, std::numeric_limits<std::uint64_t>::max()) : def;
    }

    template <typename Enum>
    Enum Choice(std::string_view key, std::optional<Enum> (*parse)(std::string_view),
                const char* choices) const {
        const std::string text = Text(key);
        const std::optional<Enum> value = parse(text);
        if (!value) {
            Refuse(std::string(key) + " \"" + text + "\" is none of " + choices);
        }
        return *value;
    }

    TSerialField Read() const {
        for (const std::string& key : ini_.Keys(section_)) {
            if (std::none_of(std::begin(kKnownKeys), std::end(kKnownKeys),
                             [&](std::string_view known) { return SameTextAscii(key, known); })) {
                Refuse("unknown key " + key);
            }
        }
        TSerialField field;
        field.name = section_;
        field.memory =
            Choice<TSerialMemory>("Memory", SerialMemoryFromName, "eeprom, int-eeprom, program");
        field.address = static_cast<std::uint32_t>(Number("Address", 0xFFFFFFFF));
        field.length = static_cast<std::uint32_t>(Number("Length", 0xFFFFFFFF));
        field.format = Choice<TSerialFormat>("Format", SerialFormatFromName,
                                             "binary-be, binary-le, bcd, ascii-dec, ascii-hex");
        if (Has("List")) {
            if (std::any_of(std::begin(kCounterKeys), std::end(kCounterKeys),
                            [&](std::string_view key) { return Has(key); })) {
                Refuse("List and a counter (First, Step, Last) together: choose one");
            }
            field.source = TSerialSource::ssList;
            field.list = Text("List");
            if (!field.list.empty() && field.list.is_relative()) {
                field.list = file_.parent_path() / field.list;
            }
        } else {
            field.source = TSerialSource::ssCounter;
            field.first = NumberOr("First", 1);
            field.step = NumberOr("Step", 1);
            field.last = NumberOr("Last", LargestSerialNumber(field.format, field.length));
        }
        if (const std::string problem = SerialFieldProblem(field); !problem.empty()) {
            Refuse(problem);
        }
        return field;
    }

private:
    const TPIniFile& ini_;
    const std::filesystem::path& file_;
    std::string section_;
};

bool Overlap(const TSerialField& a, const TSerialField& b) {
    return a.memory == b.memory && std::uint64_t{a.address} < std::uint64_t{b.address} + b.length &&
           std::uint64_t{b.address} < std::uint64_t{a.address} + a.length;
}

std::string ListAsWritten(const std::filesystem::path& list, const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    if (list.is_absolute() && !folder.empty()) {
        const std::filesystem::path relative = list.lexically_relative(folder);
        if (!relative.empty() && *relative.begin() != "..") {
            return relative.string();
        }
    }
    return list.string();
}

} // namespace

bool IsSerialSection(std::string_view section) {
    return section.size() > kSerial.size() &&
           SameTextAscii(section.substr(0, kSerial.size()), kSerial) &&
           std::all_of(section.begin() + static_cast<std::ptrdiff_t>(kSerial.size()), section.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<TSerialField> ReadSerialFields(const TPIniFile& ini,
                                           const std::filesystem::path& file) {
    std::vector<TSerialField> fields;
    for (const std::string& section : ini.Sections()) {
        if (!IsSerialSection(section)) {
            continue;
        }
        const TFieldReader reader(ini, file, section);
        TSerialField field = reader.Read();
        for (const TSerialField& other : fields) {
            if (Overlap(field, other)) {
                reader.Refuse("shares bytes of " + std::string(SerialMemoryName(field.memory)) +
                              " with [" + other.name + "]");
            }
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

void WriteSerialFields(TPIniFile& ini, const std::vector<TSerialField>& fields) {
    const std::filesystem::path& file = ini.Path();
    for (const TSerialField& field : fields) {
        if (!IsSerialSection(field.name)) {
            throw ESerialField(file.string() + " [" + field.name +
                               "]: a serial field's name is Serial and a number");
        }
        if (const std::string problem = SerialFieldProblem(field); !problem.empty()) {
            throw ESerialField(file.string() + " [" + field.name + "]: " + problem);
        }
    }
    for (const std::string& section : ini.Sections()) {
        const bool kept = std::any_of(fields.begin(), fields.end(), [&](const TSerialField& f) {
            return SameTextAscii(f.name, section);
        });
        if (IsSerialSection(section) && !kept) {
            ini.DeleteSection(section);
        }
    }
    for (const TSerialField& field : fields) {
        const std::string_view section = field.name;
        ini.WriteString(section, "Memory", SerialMemoryName(field.memory));
        ini.WriteString(section, "Address", "0x" + HexUpper(field.address, 4));
        ini.WriteString(section, "Length", std::to_string(field.length));
        ini.WriteString(section, "Format", SerialFormatName(field.format));
        if (field.source == TSerialSource::ssList) {
            for (std::string_view key : kCounterKeys) {
                ini.DeleteKey(section, key);
            }
            ini.WriteString(section, "List", ListAsWritten(field.list, file));
        } else {
            ini.DeleteKey(section, "List");
            ini.WriteString(section, "First", std::to_string(field.first));
            ini.WriteString(section, "Step", std::to_string(field.step));
            ini.WriteString(section, "Last", std::to_string(field.last));
        }
    }
    // Checked as the next read will see the file, so no refused file is written.
    ReadSerialFields(ini, file);
}

TSerialField SerialFieldOfLine(std::string_view line, const std::filesystem::path& file) {
    const std::size_t colon = line.find(':');
    const std::string section(line.substr(0, colon));
    if (colon == std::string_view::npos || !IsSerialSection(section)) {
        throw ESerialField("\"" + std::string(line) +
                           "\" should begin with the field's name and a colon, e.g. "
                           "Serial1:memory=eeprom,address=0x10,length=4,format=bcd,first=1");
    }
    std::string text = "[" + section + "]\n";
    std::string_view rest = line.substr(colon + 1);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        if (pair.find('=') == std::string_view::npos) {
            throw ESerialField(section + ": \"" + std::string(pair) + "\" is no key=value");
        }
        text += std::string(pair) + "\n";
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    TPIniFile ini(file);
    ini.LoadText(text);
    const std::vector<TSerialField> fields = ReadSerialFields(ini, file);
    if (fields.size() != 1) {
        throw ESerialField(section + ": no field");
    }
    return fields.front();
}

} // namespace korvex
