#include "link/portmap.h"

#include "link/posixserial.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <utility>
#include <vector>

namespace korvex {

namespace {

// Stands in for a line that cannot exist here, so the port reports why when
// it is opened instead of the factory failing silently.
class TUnavailableBackend final : public TSerialBackend {
public:
    explicit TUnavailableBackend(std::string reason) : reason_(std::move(reason)) {}

    TOpenResult Open(const TLineSettings&) override { return {false, reason_}; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::size_t Write(std::string_view) override { return 0; }
    int BytesWaiting() override { return 0; }
    std::size_t Read(char*, std::size_t) override { return 0; }
    void PurgeInput() override {}
    void PurgeOutput() override {}
    bool WaitForInput(int) override { return false; }

private:
    std::string reason_;
};

std::size_t Slot(int comNumber) {
    return static_cast<std::size_t>(comNumber - 1);
}

} // namespace

std::string TPortMap::DefaultPath(int comNumber) {
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

std::string TPortMap::KeyOf(int comNumber) {
    return "Port" + std::to_string(comNumber);
}

int TPortMap::ComNumberOf(std::string_view portName) {
    if (portName.size() != 4 || !portName.starts_with("COM")) {
        return 0;
    }
    const int number = portName[3] - '0';
    return InRange(number) ? number : 0;
}

std::optional<TPortMap::TArgument> TPortMap::ReadArgument(std::string_view text) {
    if (const int number = ComNumberOf(AsciiUpper(text)); number > 0) {
        return TArgument{number, {}};
    }
    if (text == kSimulator || text.find('/') != std::string_view::npos) {
        return TArgument{1, std::string(text)};
    }
    return std::nullopt;
}

TPortMap TPortMap::Load(const TPSettingsStore& store) {
    TPortMap map;
    for (int number = 1; number <= kPortCount; ++number) {
        if (auto path = store.ReadString(KeyOf(number))) {
            map.SetPath(number, std::move(*path));
        }
    }
    return map;
}

void TPortMap::Save(TPSettingsStore& store) const {
    std::vector<std::pair<std::string, std::string>> values;
    for (int number = 1; number <= kPortCount; ++number) {
        values.emplace_back(KeyOf(number), StoredPathOf(number));
    }
    store.Write(values);
}

std::string TPortMap::StoredPathOf(int comNumber) const {
    if (!InRange(comNumber)) {
        return {};
    }
    const std::string& path = paths_[Slot(comNumber)];
    return path.empty() ? DefaultPath(comNumber) : path;
}

std::string TPortMap::PathOf(int comNumber) const {
    if (!InRange(comNumber)) {
        return {};
    }
    if (const auto& override = overrides_[Slot(comNumber)]) {
        return *override;
    }
    return StoredPathOf(comNumber);
}

void TPortMap::SetPath(int comNumber, std::string path) {
    if (InRange(comNumber)) {
        paths_[Slot(comNumber)] = std::move(path);
    }
}

void TPortMap::Override(int comNumber, std::string path) {
    if (!InRange(comNumber)) {
        return;
    }
    if (path.empty()) {
        overrides_[Slot(comNumber)].reset();
    } else {
        overrides_[Slot(comNumber)] = std::move(path);
    }
}

TBackendFactory MakePortFactory(TPortMap map,
                                std::function<std::unique_ptr<TSerialBackend>()> makeSimulator) {
    return [map = std::move(map), makeSimulator = std::move(makeSimulator)](
               std::string_view portName) -> std::unique_ptr<TSerialBackend> {
        const int number = TPortMap::ComNumberOf(portName);
        if (number == 0) {
            return std::make_unique<TUnavailableBackend>("There is no port named " +
                                                         std::string(portName));
        }
        const std::string path = map.PathOf(number);
        if (path == TPortMap::kSimulator) {
            // Setting the simulator up reads the card files; what goes wrong
            // there is a port that cannot open, not an error for the driver.
            try {
                if (auto simulator = makeSimulator ? makeSimulator() : nullptr) {
                    return simulator;
                }
            } catch (const std::exception& error) {
                return std::make_unique<TUnavailableBackend>(std::string(kSimulatorCannotStart) +
                                                             DescribeError(error));
            }
            return std::make_unique<TUnavailableBackend>("The simulator is not available here");
        }
        return std::make_unique<TPosixSerialBackend>(path);
    };
}

} // namespace korvex
