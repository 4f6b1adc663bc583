#include "cli/commands/databaseoption.h"

#include "serials/pgconnection.h"
#include "serials/serialerrors.h"

namespace korvex::cli {

CLI::Validator DatabaseCheck() {
    return CLI::Validator(
        [](std::string& uri) -> std::string {
            try {
                korvex::ReadConnectionString(uri);
            } catch (const korvex::EDatabaseUri& error) {
                return error.what();
            }
            return {};
        },
        "", "connection string");
}

} // namespace korvex::cli
