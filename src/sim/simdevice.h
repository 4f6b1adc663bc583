#pragma once

#include "sim/simanswer.h"
#include "sim/simcard.h"
#include "sim/simfaults.h"
#include "sim/simfeeder.h"
#include "sim/simframes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

// The programmer with a card in its slot, answering the host's frames the
// way the host driver expects, with faults on request.
class TSimDevice {
public:
    static constexpr int kDefaultVersion = 105;
    static constexpr int kDefaultBaud = 19200;

    explicit TSimDevice(TSimCard card);

    TSimCard& Card() { return card_; }
    const TSimCard& Card() const { return card_; }

    // 0..999; throws ESimSetup otherwise.
    void SetFirmwareVersion(int version);
    int FirmwareVersion() const { return version_; }
    void SetListeningBaud(int baud) { listeningBaud_ = baud; }
    // The rate the host opened the line at (0: not known, taken as right).
    // At any other rate than its own the device hears garbage and says nothing.
    void SetHostBaud(int baud) { hostBaud_ = baud; }
    int HostBaud() const { return hostBaud_; }
    bool HearsHost() const { return hostBaud_ == 0 || hostBaud_ == listeningBaud_; }

    // Someone other than a feeder takes the card out or puts it back.
    void SetPresent(bool present);
    bool Present() const { return card_.Present(); }
    // A new card in the slot, as a person puts one in: the programmer starts
    // over with it in mode 0.
    void InsertCard(TSimCard card);

    // From now on a feeder plays the person at the slot, with fresh cards of
    // this card's model: card 1 goes in at once. `clock` (the wall clock for
    // korvex-sim, a test's own clock in-process) times the gap between cards
    // and the events, and must outlive the device. Throws ESimSetup for a
    // plan ValidateSimFeedPlan refuses.
    TSimFeeder& SetFeed(TSimFeedPlan plan, TClock& clock, TSimFeeder::TEventHandler onEvent = {});
    // Null while no feed runs.
    const TSimFeeder* Feeder() const { return feeder_.get(); }

    void AddFault(const TSimFault& fault) { faults_.Add(fault); }
    void SetRandomFaults(double probability, std::uint32_t seed);

    // Takes bytes from the host, in whatever pieces they come, and returns
    // what the frames they complete are answered with.
    std::string Receive(std::string_view bytes);

    // Every complete frame since the last ClearFrames, with its answer.
    const std::vector<TSimFrame>& Frames() const { return frames_; }
    void ClearFrames() { frames_.clear(); }

    // The line went away (hangup fault): nothing is heard or answered any more.
    bool HungUp() const { return hungUp_; }
    int Mode() const { return mode_; }

private:
    TSimAnswer Answer(const TSimFrame& frame);
    TSimAnswer SelectMode(std::string_view data);
    TSimAnswer Write(TSimMemory memory, std::string_view data);
    TSimAnswer Read(TSimMemory memory, std::string_view data);
    TSimAnswer Erase();
    TSimAnswer Lock();
    bool ProcessorSelected() const { return mode_ == 3 || mode_ == 4; }
    bool EepromAnswers(int neededMode) const;
    std::size_t UnitChars(TSimMemory memory) const;
    std::size_t& Address(TSimMemory memory) { return address_[static_cast<std::size_t>(memory)]; }

    TSimCard card_;
    TSimFrameCutter cutter_;
    TSimFaultPlan faults_;
    std::unique_ptr<TSimFeeder> feeder_;
    std::vector<TSimFrame> frames_;
    int version_ = kDefaultVersion;
    int listeningBaud_ = kDefaultBaud;
    int hostBaud_ = 0;
    int mode_ = 0;
    std::array<std::size_t, 4> address_{}; // running address per TSimMemory, in characters
    // The processor has been released (mode 0) since it was last written;
    // until then its pins are busy and the EEPROM behind it is out of reach.
    bool releasedSinceWrite_ = true;
    bool hungUp_ = false;
};

} // namespace korvex::sim
