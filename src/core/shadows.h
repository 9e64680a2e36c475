#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "operator.h"

namespace kld {

// ValidatePrimary's codes, tested in the order listed.
inline constexpr int kPrimaryOutOfRange = 0;
inline constexpr int kPrimaryUndefined = 5;
inline constexpr int kPrimaryIsShadow = 1;
inline constexpr int kPrimaryIdCall = 2;
inline constexpr int kPrimaryFull = 3;
inline constexpr int kPrimaryOk = 4;

// ValidateShadow's codes.
inline constexpr int kShadowOutOfRange = 0;
inline constexpr int kShadowExists = 1;
inline constexpr int kShadowOk = 2;

// The code for the primary and for the shadow typed in the shadow dialog. Numbers that are no
// 16-bit number are out of range like any other number outside 1 to 230.
int ValidatePrimary(const ChannelMemory& memory, std::string_view primaryText);
int ValidateShadow(const ChannelMemory& memory, std::string_view shadowText);

// The dialog's message for a refusing code; none for the accepting codes.
std::optional<Message> PrimaryMessage(int code);
std::optional<Message> ShadowMessage(int code);

// The primary the dialog proposes ("000"): the channel shown, or its primary when it is a shadow.
std::string ProposedPrimary(const ChannelMemory& memory);

enum class ShadowDialogResult {
    PrimaryRefused,  // message shown; the primary box takes the focus with its text selected
    ShadowRefused,   // message shown; the shadow box takes the focus with its text selected
    Accepted,        // ShadowSuccess: hide the dialog and create the shadow
};
// The dialog's OK button.
ShadowDialogResult JudgeShadowNumbers(const ChannelMemory& memory, std::string_view primaryText,
                                      std::string_view shadowText, Operator& op);

// The first free slot (0 to 6) of a primary's shadow list.
std::optional<int> FreeShadowSlot(const ChannelRecord& primary);

// The defined shadows that record `primary`'s slots 0 to 6 name and that name it as their
// primary, each once, in ascending order. A slot naming anything else (nothing, an undefined
// record, a channel that is no shadow, another primary's shadow, the record itself) is stale.
std::vector<int> ShadowsOf(const ChannelMemory& memory, int primary);

// The records a send writes along with `shadow`: its primary and every record 1 to 233 that the
// primary's slots name, stale slots included (the radio holds the family as the slots say). None
// when the shadow names no record as its primary.
std::vector<int> SentWithShadow(const ChannelMemory& memory, int shadow);

struct CreatedShadow {
    int shadow;
    int slot;
    int primary;
};

// Makes the shadow after the dialog accepted both numbers: the shadow becomes a copy of the
// primary in the first free slot, Current moves to it and the memory is unsaved. The window
// then refills the squelch lists, shows it, and refreshes the selection boxes and two summary
// lines: the shadow's and the primary's (which now marks it as a primary). Numbers the dialog
// would refuse change nothing.
std::optional<CreatedShadow> CreateShadow(ChannelMemory& memory, std::string_view primaryText,
                                          std::string_view shadowText);

}  // namespace kld
