#include "workflows/cardtype/partnames.h"

#include "support/textconv.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace korvex {

namespace {

constexpr std::size_t kFarthest = 2;
constexpr std::size_t kMostNames = 3;

std::string Bare(std::string_view name) {
    std::string bare;
    for (const char c : name) {
        if (c != ' ' && c != '-' && c != '_') {
            bare += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return bare;
}

// The letters to change, add or drop to make one name the other.
std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::string CatalogueSpelling(const std::vector<std::string>& names, std::string_view typed) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
        return SameTextAscii(name, typed);
    });
    return found == names.end() ? std::string() : *found;
}

std::vector<std::string> CloseNames(const std::vector<std::string>& names, std::string_view typed) {
    const std::string bare = Bare(typed);
    std::vector<std::pair<std::size_t, std::string>> close;
    for (const std::string& name : names) {
        if (const std::size_t distance = Distance(bare, Bare(name)); distance <= kFarthest) {
            close.emplace_back(distance, name);
        }
    }
    std::stable_sort(close.begin(), close.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // The nearest alone: a name that differs only in its blanks leaves no
    // doubt, and one a letter away stands before those two away.
    std::vector<std::string> closest;
    for (std::size_t i = 0; i < close.size() && i < kMostNames; ++i) {
        if (close[i].first == close.front().first) {
            closest.push_back(close[i].second);
        }
    }
    return closest;
}

} // namespace korvex
