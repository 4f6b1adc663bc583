#include "sim/pseudoterminal.h"

#include "sim/simcardmodel.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace korvex::sim {

namespace {

constexpr std::array<std::pair<speed_t, int>, 11> kRates{{
    {B300, 300},
    {B600, 600},
    {B1200, 1200},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
}};

[[noreturn]] void Fail(const std::string& what) {
    throw ESimSetup(what + ": " + std::strerror(errno));
}

} // namespace

TPseudoTerminal::TPseudoTerminal(int baud) {
    speed_t speed = 0;
    for (const auto& [code, rate] : kRates) {
        if (rate == baud) {
            speed = code;
        }
    }
    if (speed == 0) {
        throw ESimSetup("No line speed of " + std::to_string(baud) + " baud");
    }
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        Fail("Cannot open a pseudo-terminal");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        Close();
        Fail("Cannot unlock the pseudo-terminal");
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        Close();
        Fail("Cannot name the pseudo-terminal");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0) {
        Close();
        Fail("Cannot open " + slavePath_);
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    const int flags = fcntl(master_, F_GETFL);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0 || flags < 0 ||
        fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
        Close();
        Fail("Cannot set up " + slavePath_);
    }
}

TPseudoTerminal::~TPseudoTerminal() {
    Close();
}

int TPseudoTerminal::HostBaud() const {
    // The terminal settings live with the slave end; the descriptor kept
    // open here reads them whatever the host did with its own.
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0) {
        return 0;
    }
    const speed_t speed = cfgetospeed(&settings);
    for (const auto& [code, rate] : kRates) {
        if (code == speed) {
            return rate;
        }
    }
    return 0;
}

void TPseudoTerminal::MakeLink(const std::filesystem::path& link) {
    std::error_code error;
    if (std::filesystem::is_symlink(link, error)) {
        std::filesystem::remove(link, error);
    }
    std::filesystem::create_symlink(slavePath_, link, error);
    if (error) {
        throw ESimSetup("Cannot make the link " + link.string() + ": " + error.message());
    }
    link_ = link;
}

void TPseudoTerminal::Close() {
    if (!link_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
        link_.clear();
    }
    for (int* fd : {&slave_, &master_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

} // namespace korvex::sim
