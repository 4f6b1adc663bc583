// The shared database frozen (a host that stops answering, a pulled cable):
// on a server of this test's own.
#include "serials/ownserver.h"
#include "serials/serialerrors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace korvex {

using namespace korvex::testing;

// Fault: with the server's processes stopped, a statement waited for ever
// (only connect_timeout was set), and nothing could cut the wait short.
TEST(PgWait, EveryWaitForAFrozenServerEndsAtItsBoundOrWhenGivenUp) {
    const auto server = TOwnPgServer::Start();
    if (!server) {
        GTEST_SKIP() << "PostgreSQL's server programs are not installed";
    }
    const std::string uri = server->Database("frozen");
    TPPgConnection bounded(uri, {300, nullptr});
    int asked = 0;
    // Given up once asked a few times: a stop that comes during the wait.
    TPPgConnection givenUp(uri, {60000, [&asked] { return ++asked > 5; }});
    server->Freeze();
    const struct {
        std::string what;
        std::function<void()> call;
        std::string words;
    } cases[] = {
        {"connect",
         [&] {
             TPPgConnection connection(uri, {300, nullptr});
         },
         "Cannot connect to the database postgresql://korvex@/frozen?host=" +
             uri.substr(uri.find("host=") + 5) + ": it did not answer within 0.3 s"},
        {"statement", [&] { bounded.Exec("SELECT 1"); }, "did not answer within 0.3 s"},
        {"the statement after", [&] { bounded.Exec("SELECT 1"); }, "the connection was lost"},
        {"given up", [&] { givenUp.Exec("SELECT 1"); }, "the wait was cancelled"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THAT(c.call, ::testing::ThrowsMessage<EDatabase>(::testing::HasSubstr(c.words)));
    }
    server->Thaw();
    EXPECT_FALSE(bounded.Usable());
    EXPECT_EQ(TPPgConnection(uri, {300, nullptr}).Exec("SELECT 1").Value(0, 0), "1");
}

} // namespace korvex
