#pragma once

#include "workflows/presenter/mainview.h"
#include "workflows/session/faceterms.h"

#include <array>

namespace korvex {

// Where the fuse choices a write uses came from.
enum class TFuseOrigin {
    foStored,      // the card type's stored choices
    foProgramFile, // the configuration word the program file carries
    foChosen,      // choices the user made since
};

// The fuse choices, by one rule for every face: the card type's stored
// choices, then the configuration word of a program file that carries one,
// then what the user chooses after that. What a card type keeps is its
// stored choices with the user's own laid over them, never a file's word:
// showing a file must not rewrite the card type.
class TPFuseChoice {
public:
    const TFuseChoices& Shown() const { return shown_; }
    TFuseOrigin Origin() const { return origin_; }

    // A card type was chosen: its stored choices, nothing chosen yet.
    void Restore(const TFuseChoices& stored);
    // A program file with a configuration word was named: its four fuses;
    // the lock is no part of the word.
    void TakeFileWord(const TFuseChoices& word);
    // A program file without one was named: the stored choices and the
    // user's own again.
    void DropFileWord();
    void Choose(TFuse fuse, int item);
    TFuseChoices ToStore() const;

private:
    static int& Item(TFuseChoices& choices, TFuse fuse);

    TFuseChoices stored_;
    TFuseChoices shown_;
    TFuseChoices chosenItems_;
    std::array<bool, 5> chosen_{};
    TFuseOrigin origin_ = TFuseOrigin::foStored;
};

} // namespace korvex
