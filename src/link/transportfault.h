#pragma once

namespace korvex {

// Why a transfer ended short on the line rather than on the card.
enum class TTransportFaultKind {
    tfNone,     // the operation ran to its end, or failed for the card's own reasons
    tfNoAnswer, // silence until the deadline
    tfSpoiled,  // an answer that cannot be judged: bad checksum, noise, cut short, unknown
    tfRefused,  // negative answers (0x16), more in a row than a frame is sent again
    tfNoCard,   // DLE: the card has left the slot
    tfAborted,  // stopped on request
};

// The frame that failed, as a user knows it: the workflows word it in the
// user's language, so the link says which frame, never in what words.
enum class TFaultFrame {
    ffTransfer,   // no frame letter: the operation as a whole
    ffPacket,     // a numbered write packet
    ffBlock,      // a numbered read block
    ffModeSelect, // 'A'
    ffLock,       // 'D' on its own
    ffErase,      // 'H'
    ffOther,      // any other single frame, known by its letter
};

// The last transport fault of a transfer operation of TPPicProg, so that the
// workflows can tell a noisy line from a card that holds something else.
//
// What they may rely on:
// - tfNoAnswer, tfSpoiled and tfRefused (MayRetry): nothing can be said of
//   the frame that failed; the programmer may have carried it out. The step
//   may be run again from its mode select, which resets the running address
//   (a program memory write from its erase). The driver itself never sends a
//   write packet again whose fate it does not know.
// - tfNoCard: the card is gone; the driver has already reported
//   csCardNotReady. Trying again is pointless.
// - tfAborted: a stop was asked for; stop.
// - tfNone after a failure: the line worked; the card answered otherwise
//   than asked (a verify difference, an identification that does not match,
//   a lock the card does not take).
struct TTransportFault {
    TTransportFaultKind kind = TTransportFaultKind::tfNone;
    char command = '\0'; // the letter of the frame that failed
    // The packet (writes) or block (reads) within the operation, from 1; 0 for
    // an operation of one frame (erase, lock, mode select).
    int number = 0;

    bool IsFault() const { return kind != TTransportFaultKind::tfNone; }
    bool MayRetry() const {
        return kind == TTransportFaultKind::tfNoAnswer || kind == TTransportFaultKind::tfSpoiled ||
               kind == TTransportFaultKind::tfRefused;
    }
    TFaultFrame Frame() const;

    bool operator==(const TTransportFault&) const = default;
};

} // namespace korvex
