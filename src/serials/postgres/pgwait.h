#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace korvex {

// How long a call to the database may wait for the server, and what may cut
// the wait short. A server that stopped answering (a frozen host, a pulled
// cable) never answers a statement timeout of its own either: the client
// bounds every wait itself.
struct TPgWait {
    static constexpr int kDefaultLimitMs = 5000;

    int limitMs = kDefaultLimitMs;
    // Asked between short slices of every wait, where a window runs its
    // events; turning true gives the wait up at once, as a user's stop does.
    // True already as a call begins leaves that call a second at most.
    std::function<bool()> cancelled;
};

// How a bounded call ended.
enum class TPgWaitEnd {
    weDone,      // the server answered (which may be an error of its own)
    weTimedOut,  // no answer within the limit
    weCancelled, // the wait was given up on request
    weLost,      // the connection failed
};

// The words a message puts after the database's name for a wait that did
// not end with an answer: "did not answer within 5 s".
std::string PgWaitWords(TPgWaitEnd end, const TPgWait& wait);

// Connects with libpq's asynchronous calls, waiting on the socket until the
// limit. The connection (nullptr only without memory) is left in
// non-blocking mode; `end` says how the wait ended, and unless weDone the
// connection has been closed and nullptr is returned.
pg_conn* PgConnectWithin(const char* const* keys, const char* const* values, const TPgWait& wait,
                         TPgWaitEnd& end);

// Sends the statement (with text parameters; without any, several
// statements may go at once) and waits for its results until the limit,
// giving the last one, or the first error, as PQexec does. When the server
// does not answer in time or the wait is cancelled, the statement is
// cancelled through libpq's cancel request and the caller must drop the
// connection: its state is unknown. nullptr unless `end` is weDone.
pg_result* PgExecWithin(pg_conn* connection, const std::string& sql,
                        const std::vector<std::optional<std::string>>& parameters,
                        const TPgWait& wait, TPgWaitEnd& end);

} // namespace korvex
