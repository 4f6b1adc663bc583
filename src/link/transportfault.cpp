#include "link/transportfault.h"

namespace korvex {

namespace {

bool IsRead(char command) {
    return command == 'E' || command == 'F' || command == 'G' || command == 'J';
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

} // namespace korvex
