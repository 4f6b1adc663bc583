#include "serials/postgres/pgwait.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <thread>

namespace korvex {

namespace {

// The longest a wait goes without asking whether it is still wanted: a
// window's events run between the slices.
constexpr int kSliceMs = 20;

using TClock = std::chrono::steady_clock;

// After a stop, the longest a call may still wait: what the run does after
// the card in hand gets its chance with a database that answers, and none
// waits long for one that does not.
constexpr int kAfterStopMs = 1000;

// The end of one call's waits, and whether a request to give up cuts them
// short at once: one that came during the call does; one that came before
// it leaves the call kAfterStopMs at most.
struct TDeadline {
    explicit TDeadline(const TPgWait& wait)
        : at(TClock::now() + std::chrono::milliseconds(wait.limitMs)),
          cancels(!(wait.cancelled && wait.cancelled())) {
        if (!cancels) {
            at = std::min(at, TClock::now() + std::chrono::milliseconds(kAfterStopMs));
        }
    }

    TClock::time_point at;
    bool cancels;
};

// Waits until the socket is ready for `events`, the deadline passes or the
// wait is given up.
TPgWaitEnd WaitSocket(int socket, short events, const TDeadline& deadline, const TPgWait& wait) {
    if (socket < 0) {
        return TPgWaitEnd::weLost;
    }
    for (;;) {
        if (wait.cancelled && wait.cancelled() && deadline.cancels) {
            return TPgWaitEnd::weCancelled;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline.at - TClock::now())
                .count();
        if (left <= 0) {
            // A call a stop came before ends as given up, not as timed out.
            return deadline.cancels ? TPgWaitEnd::weTimedOut : TPgWaitEnd::weCancelled;
        }
        pollfd ready{socket, events, 0};
        const int got = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, kSliceMs)));
        if (got > 0) {
            return TPgWaitEnd::weDone;
        }
        if (got < 0 && errno != EINTR) {
            return TPgWaitEnd::weLost;
        }
    }
}

// The cancel request opens a connection of its own and waits for the server
// to close it, which a frozen server never does: it is sent from a thread
// of its own that nobody waits for.
void RequestCancel(pg_conn* connection) {
    PGcancel* cancel = PQgetCancel(connection);
    if (cancel == nullptr) {
        return;
    }
    std::thread([cancel] {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }).detach();
}

// Sends what libpq holds of the statement; a full socket is waited on.
TPgWaitEnd Flush(pg_conn* connection, const TDeadline& deadline, const TPgWait& wait) {
    for (;;) {
        const int left = PQflush(connection);
        if (left == 0) {
            return TPgWaitEnd::weDone;
        }
        if (left < 0) {
            return TPgWaitEnd::weLost;
        }
        const TPgWaitEnd end = WaitSocket(PQsocket(connection), POLLIN | POLLOUT, deadline, wait);
        if (end != TPgWaitEnd::weDone) {
            return end;
        }
        // The server may answer before it read everything: its answer is
        // taken in, so it never waits on us.
        if (PQconsumeInput(connection) == 0) {
            return TPgWaitEnd::weLost;
        }
    }
}

} // namespace

std::string PgWaitWords(TPgWaitEnd end, const TPgWait& wait) {
    switch (end) {
    case TPgWaitEnd::weTimedOut: {
        const int tenths = (wait.limitMs + 50) / 100;
        return "did not answer within " + std::to_string(tenths / 10) +
               (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
    }
    case TPgWaitEnd::weCancelled:
        return "was not waited for any longer: the wait was cancelled";
    case TPgWaitEnd::weDone:
    case TPgWaitEnd::weLost:
        break;
    }
    return "cannot be reached any more: the connection was lost";
}

pg_conn* PgConnectWithin(const char* const* keys, const char* const* values, const TPgWait& wait,
                         TPgWaitEnd& end) {
    const TDeadline deadline(wait);
    // Not expanded again: the settings come read, and a database name that
    // reads as settings stays a name.
    pg_conn* connection = PQconnectStartParams(keys, values, /*expand_dbname=*/0);
    end = TPgWaitEnd::weDone;
    if (connection == nullptr || PQstatus(connection) == CONNECTION_BAD) {
        return connection; // the caller reads why from the connection
    }
    for (PostgresPollingStatusType status = PGRES_POLLING_WRITING; status != PGRES_POLLING_OK;) {
        if (status == PGRES_POLLING_FAILED) {
            return connection;
        }
        end = WaitSocket(PQsocket(connection), status == PGRES_POLLING_READING ? POLLIN : POLLOUT,
                         deadline, wait);
        if (end != TPgWaitEnd::weDone) {
            PQfinish(connection);
            return nullptr;
        }
        status = PQconnectPoll(connection);
    }
    PQsetnonblocking(connection, 1);
    return connection;
}

pg_result* PgExecWithin(pg_conn* connection, const std::string& sql,
                        const std::vector<std::optional<std::string>>& parameters,
                        const TPgWait& wait, TPgWaitEnd& end) {
    const TDeadline deadline(wait);
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const auto& parameter : parameters) {
        values.push_back(parameter ? parameter->c_str() : nullptr);
    }
    const int sent =
        values.empty() ? PQsendQuery(connection, sql.c_str())
                       : PQsendQueryParams(connection, sql.c_str(), static_cast<int>(values.size()),
                                           nullptr, values.data(), nullptr, nullptr, 0);
    if (sent == 0) {
        end = TPgWaitEnd::weLost;
        return nullptr;
    }
    end = Flush(connection, deadline, wait);
    PGresult* kept = nullptr;
    while (end == TPgWaitEnd::weDone) {
        if (PQisBusy(connection) != 0) {
            end = WaitSocket(PQsocket(connection), POLLIN, deadline, wait);
            if (end == TPgWaitEnd::weDone && PQconsumeInput(connection) == 0) {
                end = TPgWaitEnd::weLost;
            }
            continue;
        }
        PGresult* result = PQgetResult(connection);
        if (result == nullptr) {
            return kept;
        }
        // As PQexec: the last result, unless an earlier one was an error.
        const ExecStatusType status = PQresultStatus(kept);
        if (kept != nullptr && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            PQclear(result);
        } else {
            PQclear(kept);
            kept = result;
        }
    }
    PQclear(kept);
    if (end == TPgWaitEnd::weTimedOut || end == TPgWaitEnd::weCancelled) {
        RequestCancel(connection);
    }
    return nullptr;
}

} // namespace korvex
