#include "workflows/cardtype/fusechoice.h"

namespace korvex {

int& TPFuseChoice::Item(TFuseChoices& choices, TFuse fuse) {
    switch (fuse) {
    case TFuse::fuWatchDog:
        return choices.watchDog;
    case TFuse::fuPowerUp:
        return choices.powerUp;
    case TFuse::fuProtection:
        return choices.protection;
    case TFuse::fuOscillator:
        return choices.oscillator;
    case TFuse::fuLock:
        break;
    }
    return choices.lock;
}

void TPFuseChoice::Restore(const TFuseChoices& stored) {
    stored_ = stored;
    shown_ = stored;
    chosen_ = {};
    origin_ = TFuseOrigin::foStored;
}

void TPFuseChoice::TakeFileWord(const TFuseChoices& word) {
    const int lock = shown_.lock;
    shown_ = word;
    shown_.lock = lock;
    origin_ = TFuseOrigin::foProgramFile;
}

void TPFuseChoice::DropFileWord() {
    if (origin_ != TFuseOrigin::foProgramFile) {
        return;
    }
    const int lock = shown_.lock;
    shown_ = ToStore();
    shown_.lock = lock;
    const bool anyChosen = chosen_[0] || chosen_[1] || chosen_[2] || chosen_[3];
    origin_ = anyChosen ? TFuseOrigin::foChosen : TFuseOrigin::foStored;
}

void TPFuseChoice::Choose(TFuse fuse, int item) {
    Item(shown_, fuse) = item;
    Item(chosenItems_, fuse) = item;
    chosen_[static_cast<std::size_t>(fuse)] = true;
    if (fuse != TFuse::fuLock) {
        origin_ = TFuseOrigin::foChosen;
    }
}

TFuseChoices TPFuseChoice::ToStore() const {
    TFuseChoices store = stored_;
    for (const TFuse fuse : {TFuse::fuWatchDog, TFuse::fuPowerUp, TFuse::fuProtection,
                             TFuse::fuOscillator, TFuse::fuLock}) {
        if (chosen_[static_cast<std::size_t>(fuse)]) {
            TFuseChoices items = chosenItems_;
            Item(store, fuse) = Item(items, fuse);
        }
    }
    return store;
}

} // namespace korvex
