#pragma once

#include <string>

namespace korvex {

// The identity of a card type: section [CardType] of its file.
struct TPCardInfo {
    std::string CardName;
    std::string CardDescription;
    std::string PicName = "PIC 16F84";
    std::string EepromName = "None";

    bool operator==(const TPCardInfo&) const = default;
};

// The settings last used with a card type: section [Defaults] of its file.
// The integers are the item positions of the fuse radio groups, stored as
// they are (0 = enabled, 1 = disabled; Oscil 0 LP, 1 XT, 2 HS, 3 RC).
struct TPCardDefaults {
    std::string PicFile;
    std::string IntEeFile;
    std::string ExtEeFile;
    std::string Loader;
    int PowerUp = 1;
    int Protected = 1;
    int Oscil = 1;
    int WatchDog = 1;
    int ATLock = 1;

    bool operator==(const TPCardDefaults&) const = default;
};

} // namespace korvex
