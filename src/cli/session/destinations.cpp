#include "cli/session/destinations.h"

#include "support/errors.h"
#include "support/filetarget.h"

namespace korvex::cli {

bool DestinationsUsable(TCardSession& session, const std::vector<std::string>& files) {
    std::vector<std::string> named;
    for (const std::string& file : files) {
        if (file.empty()) {
            continue;
        }
        try {
            CheckDestination(file);
        } catch (const EInOutError& error) {
            session.Fail(DescribeError(error));
            return false;
        }
        for (const std::string& earlier : named) {
            if (SameFile(earlier, file)) {
                session.Fail(earlier + " and " + file +
                             " are one file: each result needs a file of its own");
                return false;
            }
        }
        named.push_back(file);
    }
    return true;
}

} // namespace korvex::cli
