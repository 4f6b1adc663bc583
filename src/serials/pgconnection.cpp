#include "serials/pgconnection.h"

#include "serials/serialerrors.h"
#include "support/errors.h"

#include <libpq-fe.h>

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

// "?a=1&password=x&b=2" → "?a=1&b=2".
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
        if (!parameter.starts_with("password=")) {
            kept += separator + parameter;
            separator = '&';
        }
        start = end + 1;
    }
    return kept;
}

bool HoldsPassword(std::string_view uri) {
    return RedactDatabaseUri(uri) != uri;
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

} // namespace

std::string RedactDatabaseUri(std::string_view uri) {
    const std::string_view scheme = SchemeOf(uri);
    const std::string rest = WithoutUserPassword(uri.substr(scheme.size()));
    return WithoutPasswordParameter(std::string(scheme) + rest);
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
    if (SchemeOf(uri).empty()) {
        throw EDatabase("\"" + where_ + "\" is no database URI: name it postgresql://...");
    }
    if (HoldsPassword(uri)) {
        throw EDatabase("The database URI " + where_ +
                        " holds a password, which anybody could read on the command line or in "
                        "the settings: leave it out of the URI and put it in ~/.pgpass (or the "
                        "file PGPASSFILE names), or in PGPASSWORD");
    }
    // The URI's own settings come last, so they win over these defaults. A
    // lost peer is noticed by TCP too, and the server gives a statement or a
    // transaction left open no longer than the client waits for it.
    const std::string limit = std::to_string(wait_.limitMs);
    const std::string serverLimits =
        "-c statement_timeout=" + limit +
        " -c idle_in_transaction_session_timeout=" + std::to_string(2 * wait_.limitMs);
    const char* const keys[] = {"application_name",
                                "keepalives",
                                "keepalives_idle",
                                "keepalives_interval",
                                "keepalives_count",
                                "tcp_user_timeout",
                                "options",
                                "dbname",
                                nullptr};
    const char* const values[] = {
        "korvex", "1", "5", "2", "2", limit.c_str(), serverLimits.c_str(), uri.c_str(), nullptr};
    TPgWaitEnd end = TPgWaitEnd::weDone;
    connection_.reset(PgConnectWithin(keys, values, wait_, end));
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
