#pragma once

#include "common/simprocess.h"
#include "common/tempdir.h"

#include <memory>
#include <string>
#include <vector>

namespace korvex::testing {

// korvex-sim serving a card on a pseudo-terminal, with the shipped catalogue,
// saving the card's memories into SaveDir when it stops.
class TPtySim {
public:
    explicit TPtySim(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--data", KORVEX_SOURCE_DATA_DIR, "--save-dir", saveDir_.Path().string()});
        process_ = std::make_unique<TSimProcess>(KORVEX_SIM, std::move(args));
        path_ = process_->FirstLine();
    }

    // Empty when the simulator did not come up.
    const std::string& Path() const { return path_; }
    const std::filesystem::path& SaveDir() const { return saveDir_.Path(); }
    TSimProcess& Process() { return *process_; }

private:
    TempDir saveDir_;
    std::unique_ptr<TSimProcess> process_;
    std::string path_;
};

} // namespace korvex::testing
