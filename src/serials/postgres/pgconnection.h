#pragma once

#include "serials/postgres/pgwait.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

struct pg_conn;
struct pg_result;

namespace korvex {

// The connection string as a message or a setting may show it: a
// postgresql:// URI without the password of its user part and without any
// password parameter (its name percent-encoded or not), libpq's key=value
// settings written again without theirs. Empty for a string libpq cannot read
// that may hold a password: nothing of it is shown then.
std::string RedactDatabaseUri(std::string_view uri);

// The settings of a connection string, a postgresql:// (or postgres://) URI
// or libpq's key=value settings, as libpq's own parser reads them, in its
// order. Throws EDatabaseUri, naming the string without any password, for
// one it cannot read and for one that holds a password in any form.
std::vector<std::pair<std::string, std::string>> ReadConnectionString(const std::string& uri);

// The rows a statement gave, as text.
class TPPgResult {
public:
    explicit TPPgResult(pg_result* result);
    ~TPPgResult();
    TPPgResult(TPPgResult&& other) noexcept;
    TPPgResult& operator=(TPPgResult&&) = delete;
    TPPgResult(const TPPgResult&) = delete;
    TPPgResult& operator=(const TPPgResult&) = delete;

    int Rows() const;
    // Nothing for NULL.
    std::optional<std::string> Value(int row, int column) const;
    // The rows a command changed (UPDATE, INSERT).
    long Changed() const;

private:
    pg_result* result_;
};

// A connection to a PostgreSQL server, through the distribution's libpq.
// The password is never part of what the program is given: libpq takes it
// from its password file (~/.pgpass or PGPASSFILE) or from PGPASSWORD, so it
// never shows in a setting, a log, a record or a command line.
class TPPgConnection {
public:
    // Connects with the settings ReadConnectionString reads, and with no
    // others: what was checked is what libpq uses. Throws EDatabaseUri as it
    // does (a password says where it belongs instead), EDatabase, naming the
    // URI without any password, for a server that cannot be reached or
    // refuses the connection (with its reason). No wait for the server
    // outlasts `wait` (see TPgWait).
    explicit TPPgConnection(const std::string& uri, TPgWait wait = {});
    ~TPPgConnection();
    TPPgConnection(const TPPgConnection&) = delete;
    TPPgConnection& operator=(const TPPgConnection&) = delete;

    // The URI as messages show it.
    const std::string& Where() const { return where_; }
    // False once the connection was lost or dropped.
    bool Usable() const;

    // Runs one statement with text parameters $1, $2, ... (nothing: NULL);
    // without parameters, any number of statements, giving the last one's rows.
    // Throws EDatabase with the server's reason, or saying the connection
    // was lost or the server did not answer in time; the connection is
    // dropped then, and every later statement throws at once.
    TPPgResult Exec(std::string_view sql,
                    const std::vector<std::optional<std::string>>& parameters = {});

    // Runs `work` between BEGIN and COMMIT; whatever it throws rolls the
    // transaction back and goes on to the caller. Nothing is kept unless the
    // COMMIT went through.
    template <typename Work>
    auto InTransaction(Work work) {
        Exec("BEGIN");
        try {
            if constexpr (std::is_void_v<decltype(work())>) {
                work();
                Exec("COMMIT");
            } else {
                auto result = work();
                Exec("COMMIT");
                return result;
            }
        } catch (...) {
            RollBack();
            throw;
        }
    }

private:
    void RollBack() noexcept;

    std::unique_ptr<pg_conn, void (*)(pg_conn*)> connection_;
    std::string where_;
    TPgWait wait_;
};

} // namespace korvex
