#include "support/json.h"

#include <cstdio>

namespace korvex {

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when there is none there.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            const std::size_t length = Utf8Length(text, at);
            json +=
                length == 0 ? std::string("\xEF\xBF\xBD") : std::string(text.substr(at, length));
            at += length == 0 ? 1 : length;
            continue;
        }
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
                json += escaped;
            } else {
                json += static_cast<char>(c);
            }
        }
        ++at;
    }
    return json + "\"";
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string json = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        json += (i == 0 ? "" : ",") + items[i];
    }
    return json + "]";
}

TJsonObject& TJsonObject::Text(std::string_view key, std::string_view value) {
    return Raw(key, JsonString(value));
}

TJsonObject& TJsonObject::Number(std::string_view key, std::int64_t value) {
    return Raw(key, std::to_string(value));
}

TJsonObject& TJsonObject::Bool(std::string_view key, bool value) {
    return Raw(key, value ? "true" : "false");
}

TJsonObject& TJsonObject::Null(std::string_view key) {
    return Raw(key, "null");
}

TJsonObject& TJsonObject::Raw(std::string_view key, std::string json) {
    members_.push_back(JsonString(key) + ":" + std::move(json));
    return *this;
}

TJsonObject& TJsonObject::Append(const TJsonObject& other) {
    members_.insert(members_.end(), other.members_.begin(), other.members_.end());
    return *this;
}

std::string TJsonObject::Json() const {
    std::string json = "{";
    for (std::size_t i = 0; i < members_.size(); ++i) {
        json += (i == 0 ? "" : ",") + members_[i];
    }
    return json + "}";
}

} // namespace korvex
