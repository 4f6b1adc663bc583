#pragma once

#include <filesystem>
#include <string>

namespace korvex::sim {

// The device's end of a pseudo-terminal. It keeps a descriptor of the far
// (slave) end open itself, so the host may open and close the port as often
// as it likes without the line going away in between.
class TPseudoTerminal {
public:
    // Opens the pair and sets the line raw at `baud`. Throws ESimSetup.
    explicit TPseudoTerminal(int baud);
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Non-blocking; -1 once closed.
    int MasterFd() const { return master_; }

    // The rate the host set the line to; 0 for one we do not know.
    int HostBaud() const;

    // A symbolic link to the slave end, replacing an old link of that name;
    // removed again by Close.
    void MakeLink(const std::filesystem::path& link);

    // Hangs the line up: the host's end sees it go away.
    void Close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path link_;
};

} // namespace korvex::sim
