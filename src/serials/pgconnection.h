#pragma once

#include "serials/pgwait.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

struct pg_conn;
struct pg_result;

namespace korvex {

// The URI as a message may show it: any password, in the user part or as a
// password= parameter, taken out.
std::string RedactDatabaseUri(std::string_view uri);

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
    // Connects to a postgresql:// (or postgres://) URI. Throws EDatabase,
    // naming the URI without any password, for a URI that is none, one that
    // holds a password (say where it belongs instead), or a server that
    // cannot be reached or refuses the connection (with its reason). No
    // wait for the server outlasts `wait` (see TPgWait).
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
