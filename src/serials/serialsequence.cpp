#include "serials/serialsequence.h"

#include "serials/serialencode.h"
#include "serials/serialerrors.h"
#include "support/readfile.h"

#include <unordered_map>

namespace korvex {

namespace {

std::vector<std::string> ReadList(const TSerialField& field) {
    const std::string text = ReadWholeFile(field.list);
    std::vector<std::string> lines;
    std::unordered_map<std::string, std::size_t> seen;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = end + 1;
        const std::string at = field.list.string() + ":" + std::to_string(lines.size() + 1) + ": ";
        if (line.empty()) {
            throw ESerialValue(at + "empty line; every line of a list is one value");
        }
        if (const std::string problem = SerialTextProblem(field, line); !problem.empty()) {
            throw ESerialValue(at + problem);
        }
        if (const auto [first, fresh] = seen.emplace(line, lines.size() + 1); !fresh) {
            throw ESerialValue(at + "\"" + line + "\" repeats line " +
                               std::to_string(first->second) + "; a value goes to one card only");
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace

TPSerialSequence::TPSerialSequence(std::string cardType, TSerialField field)
    : cardType_(std::move(cardType)), field_(std::move(field)) {
    if (field_.source == TSerialSource::ssList) {
        lines_ = ReadList(field_);
    }
}

TSerialValue TPSerialSequence::After(std::optional<std::uint64_t> last) const {
    const std::string whose = "Serial field " + field_.name + " of card type " + cardType_;
    if (field_.source == TSerialSource::ssList) {
        const std::uint64_t next = last.value_or(0) + 1;
        if (next > lines_.size()) {
            throw ESerialsUsedUp(whose + " has used up its list " + field_.list.string() +
                                 ": all " + std::to_string(lines_.size()) +
                                 " lines were handed out; add lines at its end");
        }
        return {field_.name, next, lines_[next - 1]};
    }
    std::uint64_t next = field_.first;
    if (last && *last >= field_.first) {
        next = *last + field_.step;
        if (next < *last || next > field_.last) {
            throw ESerialsUsedUp(whose + " has used up its counter: " + std::to_string(*last) +
                                 " was handed out and Last is " + std::to_string(field_.last) +
                                 "; raise Last or start a new range with First");
        }
    }
    return {field_.name, next, std::to_string(next)};
}

std::vector<std::uint8_t> TPSerialSequence::Bytes(const TSerialValue& value) const {
    return field_.source == TSerialSource::ssList ? EncodeSerialText(field_, value.text)
                                                  : EncodeSerialNumber(field_, value.position);
}

} // namespace korvex
