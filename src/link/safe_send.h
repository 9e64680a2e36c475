#pragma once

// A send that erases the radio first (a purge) is the one send that loses what the radio held:
// it is asked for before it starts, and the radio's memory is read into the backups folder
// first. The window and the command line both send through here, so they decide alike.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "transfer.h"

namespace kld {

// What a send will do to the radio, found before anything is written into it.
struct SendForecast {
    bool purges = false;
    // Why it purges, as an operator would say it ("the purge is on", ...). Empty when it does not.
    std::vector<std::string> reasons;
    int channels = 0;  // the channels the send writes (with a purge, those written back too)
};

// The forecast from the memory alone: a purge asked for, a channel that changed lists or a
// selected shadow make a send purge whatever the radio holds. Otherwise `purges` is false, and
// only the radio's stamp can still say otherwise.
SendForecast ForecastFromMemory(const ChannelMemory& memory, std::int16_t purgeMode);

struct SafeSendResult {
    // The send's result; or, when it never started, what stopped it (the stamp question or the
    // copy failed, or the operator cancelled it). Untouched (outcome None, no failure) when the
    // operator would not have the radio erased.
    TransferResult transfer;
    SendForecast forecast;
    bool declined = false;  // the operator would not have the radio erased: nothing happened
    std::optional<std::filesystem::path> radioCopy;  // where the radio's memory went

    // The send went out (completed) after erasing the radio.
    bool Erased() const { return transfer.Complete() && forecast.purges; }
};

// Sends the memory as RadioTransfer does, but a send that will purge the radio is first put to
// `mayErase` (the operator's yes); and, with `copyRadio`, the radio's memory is then read into a
// scratch memory and written to the backups folder ("...-radio-before-erase.540") before the
// send starts. A copy that cannot be read or written stops everything: nothing is sent.
//
// A send that fails before the port opens (nothing selected, a record that cannot go) fails as
// it always does, asking nothing. Otherwise the radio is asked its memory stamp first
// (ProbeRadioStamp), which writes nothing; only a purge the memory makes certain, without a copy
// to take, goes without. The copy is a receive, and a receive writes a memory stamp into the
// radio: it writes back the stamp the radio answered, so that reading the radio leaves it exactly
// as it was and later sends purge no more often than before.
SafeSendResult SafeSend(TransferContext& context, bool copyRadio,
                        const std::function<bool(const SendForecast&)>& mayErase);

// "This send erases everything in the radio first (the purge is on), then writes 14 channels."
std::string EraseWarningText(const SendForecast& forecast);

// What a send did, for a status line: "Sent 14 channels to the radio." and, after a purge, that
// the radio was erased first and where its copy went. Empty when nothing went out.
std::string SendSummaryText(const SafeSendResult& result);

}  // namespace kld
