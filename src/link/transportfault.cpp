#include "link/transportfault.h"

namespace korvex {

namespace {

bool IsRead(char command) {
    return command == 'E' || command == 'F' || command == 'G' || command == 'J';
}

// The frame as a user would name it.
std::string FrameName(char command, int number) {
    if (number > 0) {
        return (IsRead(command) ? "block " : "packet ") + std::to_string(number);
    }
    switch (command) {
    case 'A':
        return "the mode select";
    case 'D':
        return "the lock";
    case 'H':
        return "the erase";
    default:
        break;
    }
    return command == '\0' ? std::string("the transfer")
                           : std::string("the '") + command + "' frame";
}

} // namespace

TFaultFrame TTransportFault::Frame() const {
    if (number > 0) {
        return IsRead(command) ? TFaultFrame::ffBlock : TFaultFrame::ffPacket;
    }
    switch (command) {
    case '\0':
        return TFaultFrame::ffTransfer;
    case 'A':
        return TFaultFrame::ffModeSelect;
    case 'D':
        return TFaultFrame::ffLock;
    case 'H':
        return TFaultFrame::ffErase;
    default:
        break;
    }
    return TFaultFrame::ffOther;
}

std::string TTransportFault::Describe() const {
    const std::string frame = FrameName(command, number);
    switch (kind) {
    case TTransportFaultKind::tfNone:
        break;
    case TTransportFaultKind::tfNoAnswer:
        return "no answer to " + frame;
    case TTransportFaultKind::tfSpoiled:
        return "a spoiled answer to " + frame;
    case TTransportFaultKind::tfRefused:
        return frame + " refused every time it was sent";
    case TTransportFaultKind::tfNoCard:
        return "no card in the slot at " + frame;
    case TTransportFaultKind::tfAborted:
        return "stopped on request at " + frame;
    }
    return {};
}

} // namespace korvex
