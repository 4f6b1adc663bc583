#include "link/serialdevices.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>
#include <utility>

namespace korvex {

namespace {

constexpr std::string_view kNamePrefixes[] = {"ttyS", "ttyUSB", "ttyACM"};

bool HasSerialName(const std::string& name) {
    return std::any_of(std::begin(kNamePrefixes), std::end(kNamePrefixes),
                       [&](std::string_view prefix) {
                           return name.size() > prefix.size() && name.starts_with(prefix) &&
                                  std::isdigit(static_cast<unsigned char>(name[prefix.size()]));
                       });
}

// The kernel creates ttyS0..ttyS31 whether or not a UART sits behind them;
// listing all of them would bury the real ports. The serial core reports
// type 0 for a line without hardware. Without sysfs the device is kept.
bool HasHardware(const std::filesystem::path& root, const std::string& name) {
    if (!name.starts_with("ttyS")) {
        return true;
    }
    std::ifstream type(root / "sys/class/tty" / name / "type");
    int value = -1;
    if (!(type >> value)) {
        return true;
    }
    return value != 0;
}

// Runs of digits padded to one width, so that plain string order puts
// ttyS2 before ttyS10.
std::string NaturalKey(const std::string& name) {
    std::string key;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t end = i;
        while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) {
            ++end;
        }
        if (end == i) {
            key += name[i++];
            continue;
        }
        key += std::string(end - i < 12 ? 12 - (end - i) : 0, '0') + name.substr(i, end - i);
        i = end;
    }
    return key;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// Entry names of a folder; a folder that is missing or cannot be read has
// none. This runs while reporting another error, so it never throws.
std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

} // namespace

std::vector<std::string> ListSerialDevices(const std::filesystem::path& root) {
    std::vector<std::string> devices;
    for (const auto& name : NamesIn(root / "dev/serial/by-id")) {
        devices.push_back("/dev/serial/by-id/" + name);
    }
    for (const auto& name : NamesIn(root / "dev")) {
        if (HasSerialName(name) && HasHardware(root, name)) {
            devices.push_back("/dev/" + name);
        }
    }
    // Stable names first, then the adapters a programmer is most likely on,
    // the built-in UARTs last.
    const auto rank = [](const std::string& path) {
        if (path.starts_with("/dev/serial/")) {
            return 0;
        }
        if (path.starts_with("/dev/ttyUSB")) {
            return 1;
        }
        return path.starts_with("/dev/ttyACM") ? 2 : 3;
    };
    std::sort(devices.begin(), devices.end(), [&](const std::string& a, const std::string& b) {
        return std::pair(rank(a), NaturalKey(a)) < std::pair(rank(b), NaturalKey(b));
    });
    return devices;
}

std::string DescribeOpenError(int errnoValue, const std::string& path) {
    const bool missing = errnoValue == ENOENT || errnoValue == ENODEV || errnoValue == ENXIO;
    return DescribeOpenError(errnoValue, path,
                             missing ? ListSerialDevices() : std::vector<std::string>{});
}

std::string DescribeOpenError(int errnoValue, const std::string& path,
                              const std::vector<std::string>& devices) {
    switch (errnoValue) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "No such serial device " + path +
               (devices.empty() ? " (no serial devices found)"
                                : " (serial devices here: " + Joined(devices) + ")");
    case EACCES:
    case EPERM:
        return "Permission denied on " + path +
               ": add your user to the 'dialout' group (sudo usermod -aG dialout $USER) and log "
               "in again";
    case EBUSY:
        return path + " is in use by another program";
    case ENOTTY:
        return path + " is not a serial device";
    default:
        return "Cannot open " + path + ": " + std::strerror(errnoValue);
    }
}

} // namespace korvex
