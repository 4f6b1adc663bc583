#pragma once

#include <string>
#include <vector>

namespace korvex {

// A PostgreSQL array literal of the texts, each quoted, for a parameter such
// as $1::text[]: a list of any length goes as one parameter.
inline std::string PgArray(const std::vector<std::string>& items) {
    std::string array = "{";
    for (const std::string& item : items) {
        array += array.size() > 1 ? ",\"" : "\"";
        for (char c : item) {
            if (c == '"' || c == '\\') {
                array += '\\';
            }
            array += c;
        }
        array += '"';
    }
    return array + "}";
}

} // namespace korvex
