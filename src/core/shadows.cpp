#include "shadows.h"

#include <algorithm>

#include "field_rules.h"

namespace kld {

namespace {

Message DialogMessage(const char* text) {
    return {text, "", Icon::None, Buttons::Ok};
}

// The typed number when it names an ordinary channel (1 to 230).
std::optional<int> TypedChannel(std::string_view text) {
    const std::optional<int> number = ParseTyped16(text);
    if (!number || !IsOrdinaryChannel(*number)) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

int ValidatePrimary(const ChannelMemory& memory, std::string_view primaryText) {
    const std::optional<int> p = TypedChannel(primaryText);
    if (!p) {
        return kPrimaryOutOfRange;
    }
    const ChannelRecord& primary = memory.Rec(*p);
    if (!primary.IsDefined()) {
        return kPrimaryUndefined;
    }
    if (primary.IsShadow()) {
        return kPrimaryIsShadow;
    }
    if (primary.TSql == kSqlIdCall && primary.Mode == kModeDigital) {
        return kPrimaryIdCall;
    }
    if (!FreeShadowSlot(primary)) {
        return kPrimaryFull;
    }
    return kPrimaryOk;
}

int ValidateShadow(const ChannelMemory& memory, std::string_view shadowText) {
    const std::optional<int> s = TypedChannel(shadowText);
    if (!s) {
        return kShadowOutOfRange;
    }
    return memory.Rec(*s).IsDefined() ? kShadowExists : kShadowOk;
}

std::optional<Message> PrimaryMessage(int code) {
    switch (code) {
        case kPrimaryOutOfRange:
            return DialogMessage("Primary channel number is out of range");
        case kPrimaryUndefined:
            return DialogMessage("Primary channel is not defined");
        case kPrimaryIsShadow:
            return DialogMessage("Primary channel cannot be a shadow channel");
        case kPrimaryIdCall:
            return DialogMessage("Primary channel Squelch mode cannot be ID Call");
        case kPrimaryFull:
            return DialogMessage("Primary channel has max number of shadows defined");
        default:
            return std::nullopt;
    }
}

std::optional<Message> ShadowMessage(int code) {
    switch (code) {
        case kShadowOutOfRange:
            return DialogMessage("Shadow channel number is out of range");
        case kShadowExists:
            return DialogMessage("Shadow channel already exists");
        default:
            return std::nullopt;
    }
}

std::string ProposedPrimary(const ChannelMemory& memory) {
    const int c = memory.Current;
    if (IsRecordIndex(c) && memory.Rec(c).IsShadow()) {
        return Format000(memory.Rec(c).Prim);
    }
    return Format000(c);
}

ShadowDialogResult JudgeShadowNumbers(const ChannelMemory& memory, std::string_view primaryText,
                                      std::string_view shadowText, Operator& op) {
    if (const auto message = PrimaryMessage(ValidatePrimary(memory, primaryText))) {
        op.Tell(*message);
        return ShadowDialogResult::PrimaryRefused;
    }
    if (const auto message = ShadowMessage(ValidateShadow(memory, shadowText))) {
        op.Tell(*message);
        return ShadowDialogResult::ShadowRefused;
    }
    return ShadowDialogResult::Accepted;
}

std::optional<int> FreeShadowSlot(const ChannelRecord& primary) {
    for (int slot = 0; slot < kShadowSlots; ++slot) {
        if (primary.ShadList[static_cast<std::size_t>(slot)] == 0) {
            return slot;
        }
    }
    return std::nullopt;
}

std::vector<int> ShadowsOf(const ChannelMemory& memory, int primary) {
    std::vector<int> shadows;
    if (!IsRecordIndex(primary)) {
        return shadows;
    }
    for (int slot = 0; slot < kShadowSlots; ++slot) {
        const int s = memory.Rec(primary).ShadList[static_cast<std::size_t>(slot)];
        if (s >= kFirstChannel && s <= kLastRecord && s != primary && memory.Rec(s).IsDefined() &&
            memory.Rec(s).IsShadow() && memory.Rec(s).Prim == primary) {
            shadows.push_back(s);
        }
    }
    std::sort(shadows.begin(), shadows.end());
    shadows.erase(std::unique(shadows.begin(), shadows.end()), shadows.end());
    return shadows;
}

std::vector<int> SentWithShadow(const ChannelMemory& memory, int shadow) {
    std::vector<int> family;
    const int primary = IsRecordIndex(shadow) ? memory.Rec(shadow).Prim : -1;
    if (!IsRecordIndex(primary)) {
        return family;
    }
    family.push_back(primary);
    for (int slot = 0; slot < kShadowSlots; ++slot) {
        const int s = memory.Rec(primary).ShadList[static_cast<std::size_t>(slot)];
        if (s >= kFirstChannel && s <= kLastRecord) {
            family.push_back(s);
        }
    }
    return family;
}

std::optional<CreatedShadow> CreateShadow(ChannelMemory& memory, std::string_view primaryText,
                                          std::string_view shadowText) {
    if (ValidatePrimary(memory, primaryText) != kPrimaryOk ||
        ValidateShadow(memory, shadowText) != kShadowOk) {
        return std::nullopt;
    }
    const int p = *TypedChannel(primaryText);
    const int s = *TypedChannel(shadowText);
    const int slot = *FreeShadowSlot(memory.Rec(p));

    ChannelRecord& primary = memory.Rec(p);
    primary.ShadList[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(s);
    primary.Shad |= kShadPrimary;

    ChannelRecord& shadow = memory.Rec(s);
    shadow = primary;
    shadow.Shad = static_cast<std::int16_t>(slot + 1);  // no scan flag, no primary flag
    shadow.Prim = static_cast<std::int16_t>(p);
    shadow.Chnl = static_cast<std::int16_t>(s);
    shadow.Select = kSelDefined | kSelCreatedHere | kSelSend;

    memory.Current = static_cast<std::int16_t>(s);
    memory.Saved = false;
    return CreatedShadow{s, slot, p};
}

}  // namespace kld
