// The four primitives every exchange with the programmer is made of. Where
// the protocol looks at the receive queue again after a short pause, these
// wait on the line instead, bounded by the deadline, and go on as soon as
// bytes arrive: the outcome is the same, nothing spins.
#include "link/picprog.h"
#include "link/pptimer.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace korvex {
namespace {

// A short answer is two bytes; what a noisy line sends beyond a few more
// only needs counting, for the log.
constexpr std::size_t kShortAnswerKept = 16;

std::string UnknownResponseLine(std::string_view answer, std::size_t received) {
    std::string line = "Unknown response ";
    for (const char c : answer) {
        line += std::to_string(static_cast<unsigned char>(c));
        line += ", ";
    }
    if (received > answer.size()) {
        line += "(" + std::to_string(received) + " bytes in all)";
    }
    return line;
}

const char* ResultLine(TReplyResult result) {
    switch (result) {
    case TReplyResult::rrSuccess:
        return "Succes.";
    case TReplyResult::rrDle:
        return "DLE Error.";
    case TReplyResult::rrTimeout:
        return "Timeout.";
    case TReplyResult::rrNegative:
        return "Error Nack returned.";
    case TReplyResult::rrUnknown:
        break;
    }
    return "";
}

// What a short or write answer means for the line. Bytes that came but made
// no answer are a spoiled answer, not silence.
TTransportFaultKind MeaningOf(TReplyResult result, std::size_t received) {
    switch (result) {
    case TReplyResult::rrSuccess:
        return TTransportFaultKind::tfNone;
    case TReplyResult::rrDle:
        return TTransportFaultKind::tfNoCard;
    case TReplyResult::rrTimeout:
        return received > 0 ? TTransportFaultKind::tfSpoiled : TTransportFaultKind::tfNoAnswer;
    case TReplyResult::rrNegative:
        return TTransportFaultKind::tfRefused;
    case TReplyResult::rrUnknown:
        break;
    }
    return TTransportFaultKind::tfSpoiled;
}

// A framed reply starts with its leading byte, which no payload character
// can be (what it holds is the programmer's business); the payload and the
// checksum that follow it are hexadecimal text. So the reply starts at the
// last byte before them: whatever came before that is no part of it. A
// stray byte whose value adds nothing (a NUL) leaves the checksum of the
// whole intact, and judged from the first byte it would pass the leading
// byte off as data and the data off by one character.
std::string_view FramedReply(std::string_view collected) {
    const auto payloadChar = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); };
    const auto lead = std::find_if_not(collected.rbegin(), collected.rend(), payloadChar);
    if (lead == collected.rend()) {
        return collected;
    }
    return collected.substr(static_cast<std::size_t>(collected.rend() - lead - 1));
}

} // namespace

void TPPicProg::WaitForAnswer(const TPTimer& timer) {
    if (!port_.IsOpen()) {
        Pause(timer.RemainingMs());
        return;
    }
    if (!commandRunning_ || seams_.pump == nullptr) {
        port_.WaitForInput(timer.RemainingMs());
        return;
    }
    // A block's answer takes longer than a window may go without drawing (a
    // read block at 19200 baud is some 75 ms): a command, which holds the
    // line against the poll and refuses every other change, waits in slices
    // and lets the window run between them. The callers wait again until
    // their deadline.
    port_.WaitForInput(std::min(timer.RemainingMs(), kPumpSliceMs));
    if (clock_.NowMs() - lastPumpMs_ >= kPumpSliceMs) {
        ProcessMessages();
    }
}

std::string TPPicProg::TakeWaiting() {
    // One read for the whole queue: an answer of a hundred bytes is not worth
    // a hundred system calls.
    return port_.ReadAll();
}

void TPPicProg::SendFrame(const TFrame& frame) {
    // A poll or the version query leaves the programmer's mode as it was.
    if (frame.command != 'P' && frame.command != 'V') {
        released_ = false;
    }
    const std::string text = FrameText(frame);
    port_.WriteString(text);
    Log(text);
}

TReplyResult TPPicProg::WaitAck(int timeoutMs) {
    TPTimer timer(clock_);
    timer.StartDeadline(timeoutMs);
    // An ACK-led answer puts the verdict back to success in every round that
    // brings bytes, so a line that never falls silent would hold the wait
    // for ever; past twice the answer time it is simply not answering.
    TPTimer bound(clock_);
    bound.StartDeadline(2 * timeoutMs);
    std::string answer; // the first bytes only; later ones are counted
    std::size_t received = 0;
    TReplyResult result = TReplyResult::rrSuccess;
    bool finished = false;
    while (result == TReplyResult::rrSuccess && !finished) {
        if (bound.DeadlinePassed()) {
            result = received > 0 ? TReplyResult::rrUnknown : TReplyResult::rrTimeout;
            break;
        }
        if (timer.DeadlinePassed()) {
            result = TReplyResult::rrTimeout;
        }
        const std::string got = TakeWaiting();
        if (got.empty()) {
            if (result == TReplyResult::rrSuccess) {
                WaitForAnswer(timer);
            }
            continue;
        }
        if (answer.size() < kShortAnswerKept) {
            answer.append(got, 0, kShortAnswerKept - answer.size());
        }
        received += got.size();
        switch (answer.front()) {
        case kNak:
            result = TReplyResult::rrNegative;
            break;
        case kAck:
            result = TReplyResult::rrSuccess;
            break;
        case kDle:
            result = TReplyResult::rrDle;
            break;
        default:
            break;
        }
        if (received == 2 && answer.size() == 2) {
            if (answer[0] == kAck && answer[1] == kEot) {
                result = TReplyResult::rrSuccess;
                finished = true;
            } else if (answer[0] == kAck && answer[1] == kDle) {
                result = TReplyResult::rrDle;
            } else {
                result = TReplyResult::rrUnknown;
            }
        }
    }
    port_.PurgeInput();
    port_.PurgeOutput();
    if (logMemo_ != nullptr) {
        Log(result == TReplyResult::rrUnknown ? UnknownResponseLine(answer, received)
                                              : std::string(ResultLine(result)));
    }
    Judged(MeaningOf(result, received));
    return result;
}

TReplyResult TPPicProg::ReadBlock(char command, int device, int count, std::string& payload) {
    payload.clear();
    port_.PurgeInput();
    port_.PurgeOutput();
    SendFrame(MakeFrame(command, DeviceDigit(device), CountText(count)));
    TPTimer timer(clock_);
    timer.StartDeadline(count * 25);
    std::string collected;
    TReplyResult result = TReplyResult::rrSuccess;
    long long received = 0;
    bool sawDle = false;
    const long long expected = 2LL * count;
    for (;;) {
        if (timer.DeadlinePassed()) {
            result = TReplyResult::rrTimeout;
        }
        const std::string got = TakeWaiting();
        const auto arrived = static_cast<long long>(got.size());
        for (const char byte : got) {
            if (byte == kCr && received + arrived < expected) {
                result = TReplyResult::rrDle;
            }
            if (byte == kCr) {
                // Stray bytes before the reply are never data: its checksum
                // proves it from its own leading byte on.
                const std::string_view reply = FramedReply(collected);
                if (ReplyChecksumOk(reply)) {
                    if (reply.size() >= 4) {
                        payload.append(reply.substr(1, reply.size() - 3));
                    }
                } else {
                    result = TReplyResult::rrUnknown;
                }
            }
            // Only a refusal in place of a reply says the block was not read;
            // a 0x16 amid a reply is noise on a reply the programmer gave.
            if (byte == kNak) {
                result = collected.empty() ? TReplyResult::rrNegative : TReplyResult::rrUnknown;
            }
            sawDle = sawDle || byte == kDle;
            if (byte != kDle && byte != kAck && byte != kEot && byte != kCr) {
                collected += byte;
            }
        }
        received += arrived;
        if (result == TReplyResult::rrNegative && collected.size() > 1) {
            result = TReplyResult::rrUnknown;
        }
        if (static_cast<long long>(payload.size()) >= count || result != TReplyResult::rrSuccess) {
            break;
        }
        if (got.empty()) {
            WaitForAnswer(timer);
        }
    }
    Log("Received ->" + payload);
    // A DLE may stand anywhere in a reply; a DLE and nothing else is the
    // programmer saying there is no card.
    if (result == TReplyResult::rrTimeout) {
        Judged(collected.empty() && sawDle ? TTransportFaultKind::tfNoCard
               : received > 0              ? TTransportFaultKind::tfSpoiled
                                           : TTransportFaultKind::tfNoAnswer);
    } else {
        Judged(result == TReplyResult::rrNegative  ? TTransportFaultKind::tfRefused
               : result == TReplyResult::rrSuccess ? TTransportFaultKind::tfNone
                                                   : TTransportFaultKind::tfSpoiled);
    }
    return result;
}

TReplyResult TPPicProg::WriteBlock(char command, int device, std::string_view data, int length) {
    port_.PurgeInput();
    port_.PurgeOutput();
    if (length < 0 || static_cast<long long>(data.size()) > length) {
        Judged(TTransportFaultKind::tfSpoiled);
        return TReplyResult::rrDle;
    }
    std::string packet(data);
    packet.resize(static_cast<std::size_t>(length), 'F');
    SendFrame(MakeFrame(command, DeviceDigit(device), packet));

    TPTimer timer(clock_);
    timer.StartDeadline(length * 10);
    std::string answer; // the first two bytes only; later ones are counted
    std::string last;   // the last two bytes
    std::size_t received = 0;
    const std::string acknowledged{kAck, kEot};
    std::optional<TReplyResult> result;
    lastAnswerAckOnly_ = false;
    while (!result) {
        const std::string got = TakeWaiting();
        if (!got.empty()) {
            answer += got.substr(0, 2 - std::min<std::size_t>(answer.size(), 2));
            last = (last + got).substr(std::max<std::size_t>(last.size() + got.size(), 2) - 2);
            received += got.size();
        }
        if (received == 1 && answer[0] == kNak) {
            // A refusal is the one byte 0x16: noise that happens to begin
            // with it must not pass for one, or a packet stored already
            // would go again.
            result = TReplyResult::rrNegative;
        } else if (!answer.empty() && answer[0] == kDle) {
            result = TReplyResult::rrDle;
        } else if (answer.size() == 2 && answer[0] == kAck && answer[1] == kDle) {
            result = TReplyResult::rrDle;
        } else if (last == acknowledged && (received == 2 || answer[0] != kNak)) {
            // Exactly ACK EOT; or stray bytes on the line before it, which
            // leave the programmer's acknowledgement whole at the end.
            result = TReplyResult::rrSuccess;
        } else if (timer.DeadlinePassed()) {
            result = received > 0 ? TReplyResult::rrUnknown : TReplyResult::rrTimeout;
            lastAnswerAckOnly_ = received == 1 && answer[0] == kAck;
        } else if (got.empty()) {
            WaitForAnswer(timer);
        }
    }
    Judged(MeaningOf(*result, received));
    return *result;
}

} // namespace korvex
