#include "workflows/faultwords.h"

#include "workflows/entries.h"
#include "workflows/fillin.h"

namespace korvex {

namespace {

std::string FrameWords(const TPLang& lang, const TTransportFault& fault) {
    switch (fault.Frame()) {
    case TFaultFrame::ffPacket:
        return FillIn(lang.GetText(entries::kFramePacket), {std::to_string(fault.number)});
    case TFaultFrame::ffBlock:
        return FillIn(lang.GetText(entries::kFrameBlock), {std::to_string(fault.number)});
    case TFaultFrame::ffModeSelect:
        return lang.GetText(entries::kFrameModeSelect);
    case TFaultFrame::ffLock:
        return lang.GetText(entries::kFrameLock);
    case TFaultFrame::ffErase:
        return lang.GetText(entries::kFrameErase);
    case TFaultFrame::ffTransfer:
        return lang.GetText(entries::kFrameTransfer);
    case TFaultFrame::ffOther:
        break;
    }
    return FillIn(lang.GetText(entries::kFrameOther), {std::string(1, fault.command)});
}

int KindEntry(TTransportFaultKind kind) {
    switch (kind) {
    case TTransportFaultKind::tfNone:
        break;
    case TTransportFaultKind::tfNoAnswer:
        return entries::kFaultNoAnswer;
    case TTransportFaultKind::tfSpoiled:
        return entries::kFaultSpoiled;
    case TTransportFaultKind::tfRefused:
        return entries::kFaultRefused;
    case TTransportFaultKind::tfNoCard:
        return entries::kFaultNoCard;
    case TTransportFaultKind::tfAborted:
        return entries::kFaultAborted;
    }
    return -1;
}

} // namespace

std::string FaultWords(const TPLang& lang, const TTransportFault& fault) {
    const int entry = KindEntry(fault.kind);
    return entry < 0 ? std::string() : FillIn(lang.GetText(entry), {FrameWords(lang, fault)});
}

} // namespace korvex
