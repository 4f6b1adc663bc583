#include "cli/output/resultjson.h"

#include "support/readfile.h"
#include "support/sha256.h"

namespace korvex::cli {

namespace {

std::string_view OutcomeName(TOutcome outcome) {
    switch (outcome) {
    case TOutcome::ocSucceeded:
        return "succeeded";
    case TOutcome::ocFailed:
        break;
    case TOutcome::ocRefused:
        return "refused";
    case TOutcome::ocNothing:
        return "nothing to do";
    case TOutcome::ocAborted:
        return "stopped";
    }
    return "failed";
}

// The exit code decides: a read whose file could not be saved failed,
// whatever the card did.
std::string_view ResultName(const TResultFacts& facts) {
    if (facts.exitCode == 0) {
        return "succeeded";
    }
    if (facts.outcome && *facts.outcome != TOutcome::ocSucceeded) {
        return OutcomeName(*facts.outcome);
    }
    return facts.exitCode == 2 ? "unusable input" : "failed";
}

std::string_view KindName(TMessageKind kind) {
    switch (kind) {
    case TMessageKind::mkError:
        return "error";
    case TMessageKind::mkWarning:
        return "warning";
    default:
        return "information";
    }
}

std::string DifferenceJson(const std::optional<TPDifference>& difference) {
    if (!difference) {
        return "null";
    }
    return TJsonObject()
        .Text("memory", MemorySpaceName(difference->space))
        .Number("address", difference->address)
        .Text("expected", difference->expected)
        .Text("found", difference->found)
        .Number("bytes_differing", difference->differingBytes)
        .Json();
}

std::string SerialsJson(const TRecordLine& serials) {
    TJsonObject object;
    for (const TRecordColumn& column : serials) {
        // "serial Serial1" in the record; the field's own name here.
        const std::string_view name = column.name;
        object.Text(name.substr(name.find(' ') + 1), column.value);
    }
    return object.Json();
}

std::string StepJson(TFailStep step) {
    return step == TFailStep::fsNone ? "null" : JsonString(FailStepName(step));
}

const std::string& SentImage(const TSentImages& sent, std::string_view role) {
    return role == "program" ? sent.program : role == "eeprom" ? sent.eeprom : sent.intEeprom;
}

std::string FileJson(std::string_view role, const std::filesystem::path& path,
                     const std::optional<std::string>& sha256) {
    TJsonObject file;
    file.Text("role", role).Text("path", path.string());
    if (sha256) {
        file.Text("sha256", *sha256);
    } else {
        file.Null("sha256");
    }
    return file.Json();
}

} // namespace

std::string ResultJson(const TResultFacts& facts) {
    TJsonObject object;
    object.Text("command", facts.command)
        .Text("outcome", ResultName(facts))
        .Number("exit_code", facts.exitCode);
    if (facts.cardType.empty()) {
        object.Null("card_type");
    } else {
        object.Text("card_type", facts.cardType);
    }
    const TCommandReport* report = facts.report;
    object.Raw("step", StepJson(report ? report->failStep : TFailStep::fsNone))
        .Raw("difference", DifferenceJson(report ? report->difference : std::nullopt));

    std::vector<std::string> files;
    for (const auto& [role, path] : facts.files) {
        const std::string* image = report ? &SentImage(report->sent, role) : nullptr;
        files.push_back(FileJson(role, path,
                                 image && !image->empty()
                                     ? std::optional<std::string>(Sha256OfHexText(*image))
                                     : std::nullopt));
    }
    for (const auto& [role, path] : facts.written) {
        std::optional<std::string> sha256;
        try {
            sha256 = Sha256Hex(ReadWholeFile(path));
        } catch (const std::exception&) {
            // Not there after all: said by the messages.
        }
        files.push_back(FileJson(role, path, sha256));
    }
    object.Raw("files", JsonArray(files));
    if (facts.firmware) {
        object.Number("firmware", *facts.firmware);
    } else {
        object.Null("firmware");
    }
    object.Number("duration_ms", facts.durationMs)
        .Number("retries", report ? report->retries : 0)
        .Raw("serials", SerialsJson(report ? report->serials : TRecordLine{}));

    std::vector<std::string> messages;
    for (const TShownMessage& message : facts.messages) {
        TJsonObject shown;
        shown.Text("kind", KindName(message.kind));
        if (message.entry >= 0) {
            shown.Number("entry", message.entry);
        } else {
            shown.Null("entry");
        }
        messages.push_back(shown.Text("text", message.text).Json());
    }
    return object.Raw("messages", JsonArray(messages)).Append(facts.more).Json();
}

std::string CardResultJson(const TCardResult& result, const std::string* port) {
    TJsonObject object;
    object.Number("card", result.sequence);
    if (port != nullptr) {
        object.Text("port", *port);
    }
    object.Text("outcome", VerdictName(result.verdict))
        .Raw("step", StepJson(result.step))
        .Raw("difference", DifferenceJson(result.difference))
        .Raw("serials", SerialsJson(result.serials))
        .Number("duration_ms", result.durationMs)
        .Number("retries", result.retries);
    if (result.message.empty()) {
        object.Null("message");
    } else {
        object.Text("message", result.message);
    }
    return object.Json();
}

} // namespace korvex::cli
