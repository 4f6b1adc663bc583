#include "serials/postgres/pgconnection.h"

#include "images/hexconv.h"
#include "serials/serialerrors.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>

namespace korvex {

namespace {

constexpr std::string_view kSchemes[] = {"postgresql://", "postgres://"};

std::string_view SchemeOf(std::string_view uri) {
    for (std::string_view scheme : kSchemes) {
        if (uri.starts_with(scheme)) {
            return scheme;
        }
    }
    return {};
}

// The settings that carry a secret: the user's password and the passphrase
// of a client key.
bool IsPasswordKey(std::string_view key) {
    return SameTextAscii(key, "password") || SameTextAscii(key, "sslpassword");
}

// The user part's password: "user:secret@host" → "user@host".
std::string WithoutUserPassword(std::string_view rest) {
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    const std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos) {
        return std::string(rest);
    }
    const std::size_t colon = authority.substr(0, at).find(':');
    if (colon == std::string_view::npos) {
        return std::string(rest);
    }
    return std::string(rest.substr(0, colon)) + std::string(rest.substr(at));
}

// "pass%77ord" → "password", as libpq reads a parameter's name.
std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && TPHexConv::IsHexText(text.substr(i + 1, 2))) {
            decoded += static_cast<char>(TPHexConv::HexToInt(text.substr(i + 1, 2)));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// "?a=1&password=x&b=2" → "?a=1&b=2", the name compared as libpq decodes it.
std::string WithoutPasswordParameter(const std::string& uri) {
    const std::size_t query = uri.find('?');
    if (query == std::string::npos) {
        return uri;
    }
    std::string kept = uri.substr(0, query);
    char separator = '?';
    std::size_t start = query + 1;
    while (start <= uri.size()) {
        std::size_t end = uri.find('&', start);
        if (end == std::string::npos) {
            end = uri.size();
        }
        const std::string parameter = uri.substr(start, end - start);
        if (!IsPasswordKey(PercentDecoded(parameter.substr(0, parameter.find('='))))) {
            kept += separator + parameter;
            separator = '&';
        }
        start = end + 1;
    }
    return kept;
}

using TSettings = std::vector<std::pair<std::string, std::string>>;

// libpq's reading of the string; nothing, with its reason, when it cannot.
std::optional<TSettings> ParseSettings(const std::string& text, std::string& reason) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.c_str(), &error);
    if (options == nullptr) {
        reason = error != nullptr ? OneLine(error) : "out of memory";
        PQfreemem(error);
        return std::nullopt;
    }
    TSettings settings;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        if (option->val != nullptr) {
            settings.emplace_back(option->keyword, option->val);
        }
    }
    PQconninfoFree(options);
    return settings;
}

// key=value settings as libpq reads them back: a value with a blank, a quote
// or a backslash, or none, in single quotes.
std::string SettingsText(const TSettings& settings) {
    std::string text;
    for (const auto& [key, value] : settings) {
        if (IsPasswordKey(key)) {
            continue;
        }
        std::string written = value;
        if (value.empty() || value.find_first_of(" \t\n\r\v\f'\\") != std::string::npos) {
            written = "'";
            for (const char c : value) {
                written += (c == '\'' || c == '\\') ? std::string("\\") + c : std::string(1, c);
            }
            written += "'";
        }
        text += (text.empty() ? "" : " ") + key + "=" + written;
    }
    return text;
}

bool MentionsPassword(std::string_view text) {
    return AsciiLower(PercentDecoded(text)).find("pass") != std::string::npos;
}

std::string OneLineMessage(const char* message) {
    std::string text = OneLine(message != nullptr ? message : "");
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// Server notices ("relation already exists, skipping") are no news for the user.
void IgnoreNotice(void*, const char*) {}

// The string's own settings after the bounds every connection gets, so they
// win over them; its server options go after these, so a setting of its own
// wins there too. A lost peer is noticed by TCP as well, and the server gives
// a statement or a transaction left open no longer than the client waits.
TSettings BoundedSettings(TSettings own, const TPgWait& wait) {
    const std::string limit = std::to_string(wait.limitMs);
    TSettings settings = {{"application_name", "korvex"},
                          {"keepalives", "1"},
                          {"keepalives_idle", "5"},
                          {"keepalives_interval", "2"},
                          {"keepalives_count", "2"},
                          {"tcp_user_timeout", limit},
                          {"options", "-c statement_timeout=" + limit +
                                          " -c idle_in_transaction_session_timeout=" +
                                          std::to_string(2 * wait.limitMs)}};
    for (auto& setting : own) {
        const auto same = std::find_if(settings.begin(), settings.end(), [&](const auto& known) {
            return known.first == setting.first;
        });
        if (same == settings.end()) {
            settings.push_back(std::move(setting));
        } else if (setting.first == "options") {
            same->second += " " + setting.second;
        } else {
            same->second = std::move(setting.second);
        }
    }
    return settings;
}

} // namespace

std::string RedactDatabaseUri(std::string_view uri) {
    if (const std::string_view scheme = SchemeOf(uri); !scheme.empty()) {
        const std::string rest = WithoutUserPassword(uri.substr(scheme.size()));
        return WithoutPasswordParameter(std::string(scheme) + rest);
    }
    std::string reason;
    if (const auto settings = ParseSettings(std::string(uri), reason)) {
        return SettingsText(*settings);
    }
    return MentionsPassword(uri) ? std::string() : std::string(uri);
}

TSettings ReadConnectionString(const std::string& uri) {
    const std::string shown = RedactDatabaseUri(uri);
    std::string reason;
    const std::optional<TSettings> settings = ParseSettings(uri, reason);
    if (!settings) {
        // libpq's reason may quote a piece of the string.
        if (shown.empty() || shown != uri || MentionsPassword(uri)) {
            throw EDatabaseUri(
                "The database connection string cannot be read and may hold a password, so it "
                "is not shown: name the database postgresql://host/database, and put the "
                "password in ~/.pgpass (or the file PGPASSFILE names), or in PGPASSWORD");
        }
        throw EDatabaseUri("\"" + shown + "\" is no database URI: name it " +
                           "postgresql://host/database (" + reason + ")");
    }
    for (const auto& [key, value] : *settings) {
        if (IsPasswordKey(key)) {
            throw EDatabaseUri(
                std::string(SchemeOf(uri).empty() ? "The database connection string "
                                                  : "The database URI ") +
                shown +
                " holds a password, which anybody could read on the command line or in the "
                "settings: leave it out and put it in ~/.pgpass (or the file PGPASSFILE names), "
                "or in PGPASSWORD");
        }
    }
    return *settings;
}

TPPgResult::TPPgResult(pg_result* result) : result_(result) {}

TPPgResult::~TPPgResult() {
    PQclear(result_);
}

TPPgResult::TPPgResult(TPPgResult&& other) noexcept : result_(other.result_) {
    other.result_ = nullptr;
}

int TPPgResult::Rows() const {
    return PQntuples(result_);
}

std::optional<std::string> TPPgResult::Value(int row, int column) const {
    if (row >= Rows() || column >= PQnfields(result_) || PQgetisnull(result_, row, column)) {
        return std::nullopt;
    }
    return std::string(PQgetvalue(result_, row, column));
}

long TPPgResult::Changed() const {
    return std::strtol(PQcmdTuples(result_), nullptr, 10);
}

TPPgConnection::TPPgConnection(const std::string& uri, TPgWait wait)
    : connection_(nullptr, PQfinish), where_(RedactDatabaseUri(uri)), wait_(std::move(wait)) {
    std::vector<const char*> keys, values;
    const TSettings settings = BoundedSettings(ReadConnectionString(uri), wait_);
    for (const auto& [key, value] : settings) {
        keys.push_back(key.c_str());
        values.push_back(value.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    TPgWaitEnd end = TPgWaitEnd::weDone;
    connection_.reset(PgConnectWithin(keys.data(), values.data(), wait_, end));
    if (end != TPgWaitEnd::weDone) {
        throw EDatabase("Cannot connect to the database " + where_ + ": it " +
                        PgWaitWords(end, wait_));
    }
    if (!connection_) {
        throw EDatabase("Cannot connect to the database " + where_ + ": out of memory");
    }
    if (PQstatus(connection_.get()) != CONNECTION_OK) {
        throw EDatabase("Cannot connect to the database " + where_ + ": " +
                        OneLineMessage(PQerrorMessage(connection_.get())));
    }
    PQsetNoticeProcessor(connection_.get(), IgnoreNotice, nullptr);
}

TPPgConnection::~TPPgConnection() = default;

bool TPPgConnection::Usable() const {
    return connection_ && PQstatus(connection_.get()) == CONNECTION_OK;
}

TPPgResult TPPgConnection::Exec(std::string_view sql,
                                const std::vector<std::optional<std::string>>& parameters) {
    if (!Usable()) {
        throw EDatabase("The database " + where_ + " " + PgWaitWords(TPgWaitEnd::weLost, wait_));
    }
    TPgWaitEnd end = TPgWaitEnd::weDone;
    PGresult* result = PgExecWithin(connection_.get(), std::string(sql), parameters, wait_, end);
    if (end != TPgWaitEnd::weDone) {
        // What became of the statement is unknown: nothing more goes over
        // this connection.
        connection_.reset();
        throw EDatabase("The database " + where_ + " " + PgWaitWords(end, wait_));
    }
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        return TPPgResult(result);
    }
    std::string reason = OneLineMessage(result != nullptr ? PQresultErrorMessage(result)
                                                          : PQerrorMessage(connection_.get()));
    PQclear(result);
    if (PQstatus(connection_.get()) != CONNECTION_OK) {
        reason = "the connection was lost (" + reason + ")";
    }
    throw EDatabase("The database " + where_ + " refused: " + reason);
}

void TPPgConnection::RollBack() noexcept {
    if (!Usable()) {
        return;
    }
    TPgWaitEnd end = TPgWaitEnd::weDone;
    PQclear(PgExecWithin(connection_.get(), "ROLLBACK", {}, wait_, end));
    if (end != TPgWaitEnd::weDone) {
        connection_.reset();
    }
}

} // namespace korvex
