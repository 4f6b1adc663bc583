#include "sim/simfaults.h"

#include "sim/simcardmodel.h"
#include "support/textconv.h"

namespace korvex::sim {

namespace {

constexpr std::array<std::pair<TSimFaultKind, std::string_view>, 7> kNames{{
    {TSimFaultKind::Nack, "nack"},
    {TSimFaultKind::Silent, "silent"},
    {TSimFaultKind::BadSum, "badsum"},
    {TSimFaultKind::Noise, "noise"},
    {TSimFaultKind::Short, "short"},
    {TSimFaultKind::Pull, "pull"},
    {TSimFaultKind::Hangup, "hangup"},
}};

// Random faults pass; a pulled card or a dead line would end every run at once.
constexpr std::array<TSimFaultKind, 5> kPassing{TSimFaultKind::Nack, TSimFaultKind::Silent,
                                                TSimFaultKind::BadSum, TSimFaultKind::Noise,
                                                TSimFaultKind::Short};

// The command letters of the frames the host sends.
constexpr std::string_view kCommands = "ABCDEFGHIJPV";

} // namespace

std::string SimFaultName(TSimFaultKind kind) {
    for (const auto& [k, name] : kNames) {
        if (k == kind) {
            return std::string(name);
        }
    }
    return "?";
}

std::optional<TSimFault> TryParseSimFault(std::string_view text, std::string& why) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) {
        why = "no '@'";
        return std::nullopt;
    }
    TSimFault fault;
    const std::string name = AsciiLower(text.substr(0, at));
    bool known = false;
    for (const auto& [kind, kindName] : kNames) {
        if (name == kindName) {
            fault.kind = kind;
            known = true;
        }
    }
    if (!known) {
        why = "unknown kind '" + name + "'";
        return std::nullopt;
    }
    std::string_view count = text.substr(at + 1);
    if (!count.empty() && count[0] >= 'A' && count[0] <= 'Z') {
        // A fault at a command the host never sends would wait for ever.
        if (kCommands.find(count[0]) == std::string_view::npos) {
            why = "there is no command '" + std::string(1, count[0]) +
                  "' (the commands are A to J, P and V)";
            return std::nullopt;
        }
        fault.command = count[0];
        count.remove_prefix(1);
    }
    if (count.size() > 1 && count.back() == '+') {
        fault.onward = true;
        count.remove_suffix(1);
    }
    const auto nth = TryStrToInt(count);
    if (!nth || *nth < 1 || count[0] == '+') {
        why = "the frame number must be 1 or more";
        return std::nullopt;
    }
    fault.nth = *nth;
    return fault;
}

TSimFault ParseSimFault(std::string_view text) {
    std::string why;
    if (auto fault = TryParseSimFault(text, why)) {
        return *fault;
    }
    throw ESimSetup("Bad fault '" + std::string(text) + "': " + why +
                    " (write KIND@N or KIND@LN, e.g. nack@5 or silent@B3, with + for every "
                    "frame from there on; kinds: nack, "
                    "silent, badsum, noise, short, pull, hangup)");
}

void TSimFaultPlan::SetRandom(double probability, std::uint32_t seed) {
    probability_ = probability;
    random_.seed(seed);
}

std::optional<TSimFaultKind> TSimFaultPlan::Next(char command) {
    ++frames_;
    const int ofCommand = ++perCommand_[static_cast<unsigned char>(command)];
    std::optional<TSimFaultKind> result;
    for (const TSimFault& fault : faults_) {
        const int count = fault.command == '\0' ? frames_ : ofCommand;
        if (!result && (fault.command == '\0' || fault.command == command) &&
            (fault.onward ? count >= fault.nth : count == fault.nth)) {
            result = fault.kind;
        }
    }
    if (probability_ > 0) {
        // Drawn on every frame, struck or not, so one listed fault more or
        // less does not shift the random ones.
        const bool strikes = static_cast<double>(random_()) < probability_ * 4294967296.0;
        const std::uint32_t pick = random_();
        if (!result && strikes) {
            result = kPassing[pick % kPassing.size()];
        }
    }
    return result;
}

} // namespace korvex::sim
