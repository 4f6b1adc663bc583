#pragma once

#include "common/tempdir.h"
#include "serials/postgres/pgconnection.h"

#include <memory>
#include <string>
#include <unistd.h>

namespace korvex::testing {

// A database of its own for one test on the server the CTest fixture started
// (pgcluster.sh), which goes with the server's folder at the end. The
// fixture's state file names that folder, or says that the server's programs
// are not installed.
class TPgTestDatabase {
public:
    // Nothing when the server's programs are not installed: the test skips.
    static std::unique_ptr<TPgTestDatabase> Make() {
        const std::string state = ReadText(KORVEX_PG_STATE);
        if (state.empty()) {
            throw std::runtime_error("No test server: run these tests through ctest, whose "
                                     "fixture starts one (" KORVEX_PG_STATE ")");
        }
        return state.starts_with("absent") ? nullptr
                                           : std::make_unique<TPgTestDatabase>(
                                                 "?host=" + state.substr(0, state.find('\n')));
    }

    explicit TPgTestDatabase(const std::string& server)
        : uri_("postgresql://korvex@/korvex_test_" + std::to_string(::getpid()) + server) {
        TPPgConnection("postgresql://korvex@/postgres" + server)
            .Exec("CREATE DATABASE korvex_test_" + std::to_string(::getpid()));
    }

    const std::string& Uri() const { return uri_; }

private:
    std::string uri_;
};

} // namespace korvex::testing
