#include "list_operations.h"

#include "field_rules.h"
#include "shadows.h"

namespace kld {

namespace {

void SetSendFlag(ChannelMemory& memory, bool send) {
    for (int index = 0; index <= kLastRecord; ++index) {
        ChannelRecord& record = memory.Rec(index);
        if (record.IsDefined()) {
            record.Select = static_cast<std::int16_t>(send ? (record.Select | kSelSend)
                                                           : (record.Select & ~kSelSend));
        }
    }
}

}  // namespace

int BoxState(const ChannelRecord& record) {
    if (record.IsErased()) {
        return kBoxGrey;
    }
    return (record.Select & kSelSend) != 0 ? kBoxTicked : kBoxClear;
}

std::array<int, kSelectionBoxes> SelectionBoxStates(const ChannelMemory& memory, int topLine) {
    std::array<int, kSelectionBoxes> states{};
    for (int k = 0; k < kSelectionBoxes; ++k) {
        const int line = topLine + k;
        states[static_cast<std::size_t>(k)] =
            IsRecordIndex(line) ? BoxState(memory.Rec(line)) : kBoxClear;
    }
    return states;
}

bool SetSelectionFromBox(ChannelMemory& memory, int topLine, int box, int newState) {
    const int line = topLine + box;
    if (box < 0 || box >= kSelectionBoxes || !IsRecordIndex(line)) {
        return false;
    }
    memory.Current = static_cast<std::int16_t>(line);
    ChannelRecord& record = memory.Rec(line);
    record.Select = static_cast<std::int16_t>((record.Select & 252) | (newState & 3));
    return true;
}

void SelectAllDefined(ChannelMemory& memory) {
    SetSendFlag(memory, true);
}
void ClearAllSelections(ChannelMemory& memory) {
    SetSendFlag(memory, false);
}

Message EraseRefusedMessage() {
    return {"Contents of this Memory may\n be Altered but not Erased!", "", Icon::None,
            Buttons::Ok};
}

Message PrimaryHasShadowsMessage(const std::vector<int>& shadows) {
    std::string text = shadows.size() == 1 ? "This channel is the primary of shadow channel "
                                           : "This channel is the primary of shadow channels ";
    for (std::size_t i = 0; i < shadows.size(); ++i) {
        text += (i == 0 ? "" : ", ") + Format000(shadows[i]);
    }
    text += ".\n\nErase its shadows first.";
    return {text, "Un/Erase Current", Icon::Exclamation, Buttons::Ok};
}

EraseResult EraseOrUneraseCurrent(ChannelMemory& memory, Operator& op) {
    const int c = memory.Current;
    if (c < 2 || c > kLastOrdinaryChannel) {
        op.Tell(EraseRefusedMessage());
        return EraseResult::Refused;
    }
    ChannelRecord& record = memory.Rec(c);
    if (!record.IsDefined()) {
        return EraseResult::Undefined;
    }
    if ((record.Select & kSelCreatedHere) == 0) {
        record.Select ^= kSelErased;
        return EraseResult::MarkToggled;
    }

    if (const std::vector<int> shadows = ShadowsOf(memory, c); !shadows.empty()) {
        op.Tell(PrimaryHasShadowsMessage(shadows));
        return EraseResult::HasShadows;
    }

    // Never sent to a radio: the channel simply goes away.
    record.Select = 0;
    if (const int slot = record.Shad & kShadSlotMask; slot != 0) {
        // Free the primary's slot, but only when it really names this shadow: a slot that
        // names another channel belongs to that one.
        const int p = record.Prim;
        if (p >= kFirstChannel && p <= kLastRecord) {
            std::int16_t& entry = memory.Rec(p).ShadList[static_cast<std::size_t>(slot - 1)];
            if (entry == c) {
                entry = 0;
            }
        }
    } else {
        // An undefined channel is in no list; leaving it counted would make its list look
        // fuller than it is until the next load or receive recounts.
        std::int16_t& count = memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(record.Scan))];
        if (count > 0) {
            --count;
        }
    }
    return EraseResult::Removed;
}

std::string_view PurgeCaption(std::int16_t purgeMode) {
    return purgeMode == 1 ? "UnPurge" : "Purge";
}

std::string_view TogglePurge(ProgramState& state) {
    state.PurgeMode = static_cast<std::int16_t>(state.PurgeMode == 1 ? 0 : 1);
    return PurgeCaption(state.PurgeMode);
}

}  // namespace kld
