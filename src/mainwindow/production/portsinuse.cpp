#include "mainwindow/production/portsinuse.h"

namespace korvex::gui {

namespace {

// A port that only fails to open, saying why.
class TRefusedPort final : public TSerialBackend {
public:
    explicit TRefusedPort(std::string why) : why_(std::move(why)) {}
    TOpenResult Open(const TLineSettings& /*settings*/) override { return {false, why_}; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::size_t Write(std::string_view /*bytes*/) override { return 0; }
    int BytesWaiting() override { return 0; }
    std::size_t Read(char* /*buffer*/, std::size_t /*max*/) override { return 0; }
    void PurgeInput() override {}
    void PurgeOutput() override {}
    bool WaitForInput(int /*timeoutMs*/) override { return false; }

private:
    std::string why_;
};

} // namespace

void TPortsInUse::Take(const std::vector<std::string>& devices) {
    const std::lock_guard lock(mutex_);
    taken_.insert(devices.begin(), devices.end());
}

void TPortsInUse::GiveBack() {
    const std::lock_guard lock(mutex_);
    taken_.clear();
}

bool TPortsInUse::Taken(const std::string& device) const {
    const std::lock_guard lock(mutex_);
    return taken_.contains(device);
}

TBackendFactory TPortsInUse::Guard(TBackendFactory factory,
                                   std::function<std::string(std::string_view port)> deviceOf,
                                   std::function<std::string()> why) const {
    return [this, factory = std::move(factory), deviceOf = std::move(deviceOf),
            why = std::move(why)](std::string_view port) -> std::unique_ptr<TSerialBackend> {
        if (Taken(deviceOf(port))) {
            return std::make_unique<TRefusedPort>(why());
        }
        return factory(port);
    };
}

} // namespace korvex::gui
