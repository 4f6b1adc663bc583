#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// `text` as a JSON string, quotes included. Bytes that are no UTF-8 (a file
// name in another encoding) become U+FFFD, so the result always parses.
std::string JsonString(std::string_view text);

// Items that are JSON already, as an array.
std::string JsonArray(const std::vector<std::string>& items);

// One JSON object, its members in the order they were added.
class TJsonObject {
public:
    TJsonObject& Text(std::string_view key, std::string_view value);
    TJsonObject& Number(std::string_view key, std::int64_t value);
    TJsonObject& Bool(std::string_view key, bool value);
    TJsonObject& Null(std::string_view key);
    // A value that is JSON already: an object, an array.
    TJsonObject& Raw(std::string_view key, std::string json);
    // The members of `other`, after these.
    TJsonObject& Append(const TJsonObject& other);

    std::string Json() const;

private:
    std::vector<std::string> members_;
};

} // namespace korvex
