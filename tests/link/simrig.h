#pragma once

#include "common/hexpattern.h"
#include "common/shortframes.h"
#include "driverrig.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"

#include <string>
#include <vector>

namespace korvex::testing {

// A driver connected to the simulated programmer, in-process, on a clock that
// moves only when the driver waits.
struct TSimRig {
    TFakeClock clock;
    sim::TSimDevice device;
    TRecordedPrompts prompts;
    TCountingPump pump;
    TRecordedGauge gauge;
    TPPicProg prog;

    // `wireTime`: answers take as long as their bytes would on the line.
    explicit TSimRig(sim::TSimCardModel model, bool wireTime = false)
        : device(sim::TSimCard(std::move(model))),
          prog(sim::SimulatorBackendFactory(device, clock, wireTime),
               {&clock, &pump, &prompts, nullptr}) {
        prog.SetComPort(1);
        prog.Port().SetBaudRate(TBaudRate::br19200);
        prog.Connect();
        prog.SetDelay(3);
        device.ClearFrames();
    }

    // The frames the device received, in a short form: the letter, the device
    // digit and the data ("A23" = select mode 3 for device 2, "E20010").
    std::vector<std::string> Sent() const { return ShortFrames(device); }
};

// A card of any kind the tests need, independent of the shipped catalogue.
inline sim::TSimCardModel TestCard(int kind, int programWords, int dataBytes, int eepromBytes = 0,
                                   std::string id = "") {
    sim::TSimCardModel model;
    model.processor = "Test";
    model.kind = kind;
    model.programWords = programWords;
    model.dataBytes = dataBytes;
    model.idA = id;
    model.idB = id;
    if (eepromBytes > 0) {
        model.eepromName = "24C16";
        model.eepromKind = 1;
        model.eepromBytes = eepromBytes;
    }
    return model;
}

// PIC program words (4 characters each, at most 3FFF).
inline std::string PicWords(std::size_t words, std::size_t seed = 0) {
    std::string text = Pattern(words * 4, seed);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        text[i] = static_cast<char>('0' + (i / 4 + seed) % 4);
    }
    return text;
}

// Every frame of one command letter, in the short form of Sent().
inline std::vector<std::string> OfCommand(const std::vector<std::string>& sent, char command) {
    std::vector<std::string> picked;
    for (const auto& s : sent) {
        if (s[0] == command) {
            picked.push_back(s);
        }
    }
    return picked;
}

} // namespace korvex::testing
