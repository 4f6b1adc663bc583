#pragma once

// What the tests of stations on a production line share: the user's own copy
// of the card type with a serial field, a station's command line, and the
// rows of the database the stations share.

#include "clirig.h"
#include "serials/postgres/pgconnection.h"

#include <string>
#include <vector>

namespace korvex::testing {

class CliLineStation : public CliE2e {
protected:
    static constexpr const char* kCard = "PIC16F84-24C16";
    std::string uri_; // the database the stations share

    void AddSerialField() const {
        const std::filesystem::path cards = data / "korvex" / "cards";
        std::filesystem::create_directories(cards);
        WriteText(cards / (std::string(kCard) + ".ini"),
                  ReadText(std::filesystem::path(KORVEX_PROGRAM_DIR) / "cards" /
                           (std::string(kCard) + ".ini")) +
                      "\r\n[Serial1]\r\nMemory=eeprom\r\nAddress=0x7F0\r\nLength=4\r\n"
                      "Format=bcd\r\nFirst=1\r\n");
    }

    // auto --watch of `count` cards, recorded in NAME.csv and in the database.
    std::vector<std::string> Station(const std::string& port, const std::string& name,
                                     int count) const {
        std::vector<std::string> args = WatchRun(port, count, Path(name + ".csv"));
        args.insert(args.end(), {"--db", uri_, "--station", name});
        return args;
    }

    // Column 0 of every row of `sql`.
    std::vector<std::string> Query(const std::string& sql) const {
        const TPPgResult result = TPPgConnection(uri_).Exec(sql);
        std::vector<std::string> rows;
        for (int row = 0; row < result.Rows(); ++row) {
            rows.push_back(result.Value(row, 0).value_or("NULL"));
        }
        return rows;
    }
};

} // namespace korvex::testing
