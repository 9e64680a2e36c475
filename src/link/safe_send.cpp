#include "safe_send.h"

#include <algorithm>

#include "backups.h"
#include "characters.h"
#include "send_plan.h"
#include "verify.h"

namespace kld {

namespace {

constexpr std::string_view kStampReason =
    "the radio's memory is not the one this data was read from";

// The channels a send writes as record frames: the selected ones, and after a purge those from
// the radio that it writes back.
int ChannelsWritten(const ChannelMemory& memory, std::int16_t purgeMode, bool purges) {
    const std::vector<int> records =
        purges ? RecordsASendMayWrite(memory, purgeMode) : SelectedForSending(memory).written;
    return static_cast<int>(records.size());
}

std::string Channels(int count) {
    return std::to_string(count) + (count == 1 ? " channel" : " channels");
}

bool IsStampText(const std::string& stamp) {
    return stamp.size() == 14 && std::all_of(stamp.begin(), stamp.end(), IsDigit);
}

}  // namespace

SendForecast ForecastFromMemory(const ChannelMemory& memory, std::int16_t purgeMode) {
    ChannelMemory marked = memory;
    const int flags = StartSend(marked).xferFlags;
    SendForecast forecast;
    if (purgeMode == 1) {
        forecast.reasons.emplace_back("the purge is on");
    }
    if (flags & kXferListChanged) {
        forecast.reasons.emplace_back("a channel from the radio has moved to another list");
    }
    if (flags & kXferShadowOrPurge) {
        forecast.reasons.emplace_back("a shadow channel is to be sent");
    }
    forecast.purges = SendPurges(purgeMode, flags);
    forecast.channels = ChannelsWritten(memory, purgeMode, forecast.purges);
    return forecast;
}

SafeSendResult SafeSend(TransferContext& context, bool copyRadio,
                        const std::function<bool(const SendForecast&)>& mayErase) {
    SafeSendResult result;
    const ChannelMemory& memory = context.memory;
    const std::int16_t purgeMode = context.state.PurgeMode;

    // A send that fails before it opens the port fails so here too, before anything is asked.
    ChannelMemory marked = memory;
    if ((StartSend(marked).selected == 0 && purgeMode == 0) ||
        CheckBeforeSending(memory, purgeMode)) {
        result.transfer = RadioTransfer(Direction::Send, context);
        return result;
    }

    result.forecast = ForecastFromMemory(memory, purgeMode);
    std::string radioStamp;
    if (!result.forecast.purges || copyRadio) {
        const StampProbe probe = ProbeRadioStamp(context);
        if (!probe.transfer.Complete()) {
            result.transfer = probe.transfer;
            return result;
        }
        radioStamp = probe.radioStamp;
        if (probe.stampDiffers) {
            result.forecast.reasons.emplace_back(kStampReason);
            result.forecast.purges = true;
            result.forecast.channels = ChannelsWritten(memory, purgeMode, true);
        }
    }
    // A cancel during the probe ends the send at once, without the question.
    if (!result.forecast.purges || context.host.CancelRequested()) {
        result.transfer = RadioTransfer(Direction::Send, context);
        return result;
    }
    if (!mayErase(result.forecast)) {
        result.declined = true;
        return result;
    }

    if (copyRadio) {
        ChannelMemory radio;
        ProgramState radioState;
        const TransferResult read =
            ReadRadioInto(radio, radioState, memory, context.state, context.device, context.host,
                          context.folder, IsStampText(radioStamp) ? radioStamp : std::string());
        if (!read.Complete()) {
            result.transfer = read;
            if (read.outcome != Outcome::Cancelled) {
                const std::string detail = read.failure ? read.failure->detail : std::string();
                result.transfer.failure =
                    Failure{"Nothing was sent: the radio's memory could not be read for its copy.",
                            read.Message() + (detail.empty() ? "" : ": " + detail)};
            }
            return result;
        }
        const BackupResult copy = WriteBackup(radio, radioState, BackupKind::RadioBeforeErase);
        if (!copy) {
            result.transfer = {Outcome::None, step::Opening,
                               Failure{"Nothing was sent: the copy of the radio's memory could not "
                                       "be saved.",
                                       copy.Error().message + ": " + copy.Error().detail}};
            return result;
        }
        result.radioCopy = *copy;
    }
    result.transfer = RadioTransfer(Direction::Send, context);
    return result;
}

std::string EraseWarningText(const SendForecast& forecast) {
    std::string why;
    for (std::size_t i = 0; i < forecast.reasons.size(); ++i) {
        why += (i == 0                             ? ""
                : i + 1 == forecast.reasons.size() ? " and "
                                                   : ", ") +
               forecast.reasons[i];
    }
    return "This send erases everything in the radio first (" + why + "), then writes " +
           Channels(forecast.channels) + " into it.";
}

std::string SendSummaryText(const SafeSendResult& result) {
    if (!result.transfer.Complete()) {
        return {};
    }
    std::string text = "Sent " + Channels(result.forecast.channels) + " to the radio";
    if (!result.Erased()) {
        return text + ".";
    }
    text += ", after erasing it";
    if (result.radioCopy) {
        return text + "; what it held before is in " + result.radioCopy->string() + ".";
    }
    return text + " (no copy of what it held was kept).";
}

}  // namespace kld
