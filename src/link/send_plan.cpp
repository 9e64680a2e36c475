#include "send_plan.h"

#include <algorithm>
#include <array>

#include "field_rules.h"
#include "modes.h"
#include "shadows.h"
#include "wire_codec.h"

namespace kld {

SendStart StartSend(ChannelMemory& memory) {
    SendStart start;
    const auto modeCheck = [&](const ChannelRecord& r) {
        if (!IsModeAllowed(memory.EnabledModes, r.Mode, r.TFrq.View())) {
            start.disabledModes |= ModeFlag(r.Mode);
        }
    };
    // Marks made on the way count for later records.
    for (int i = 0; i <= kLastOrdinaryChannel; ++i) {
        const ChannelRecord& r = memory.Rec(i);
        if (!r.IsDefined() || (r.Select & (kSelSend | kSelErased)) == 0) {
            continue;
        }
        ++start.selected;
        modeCheck(r);
        if (r.Select & kSelListChanged) {
            start.xferFlags |= kXferListChanged;
        }
        if (r.IsShadow()) {
            start.xferFlags |= kXferShadowOrPurge;
            for (const int index : SentWithShadow(memory, i)) {
                memory.Rec(index).Select |= kSelSend;
            }
        }
    }
    for (int guard : {kGuard1, kGuard2}) {
        const ChannelRecord& r = memory.Rec(guard);
        if (r.IsDefined() && (r.Select & kSelSend)) {
            ++start.selected;
            modeCheck(r);
        }
    }
    return start;
}

bool SendPurges(std::int16_t purgeMode, int xferFlags) {
    return purgeMode == 1 || (xferFlags & ~kXferFirstPass) != 0;
}

RecordStep RecordStepOf(const ChannelMemory& memory, int index, std::int16_t purgeMode,
                        int xferFlags) {
    if (!IsRecordIndex(index) || !memory.Rec(index).IsDefined()) {
        return RecordStep::Skip;
    }
    const ChannelRecord& r = memory.Rec(index);
    int sel = r.Select & (kSelSend | kSelErased);
    const bool fromRadio = (r.Select & kSelFromRadio) != 0;
    // A purge wiped the radio: what it held before is written back even when not selected.
    if (index >= 1 && purgeMode == 0 && fromRadio && sel == 0 && (xferFlags & kXferPurged)) {
        sel = kSelSend;
    }
    const bool firstPass = (xferFlags & kXferFirstPass) != 0;
    if (sel == kSelSend) {
        return r.IsShadow() != firstPass ? RecordStep::Write : RecordStep::Skip;
    }
    if (sel != 0 && firstPass && !(xferFlags & kXferStampDiffers) && fromRadio && !r.IsShadow()) {
        return RecordStep::Erase;
    }
    return RecordStep::Skip;
}

SendSelection SelectedForSending(const ChannelMemory& memory) {
    ChannelMemory marked = memory;
    StartSend(marked);
    SendSelection selection;
    for (int i = 0; i <= kLastRecord; ++i) {
        const ChannelRecord& r = marked.Rec(i);
        if (!r.IsDefined()) {
            continue;
        }
        const int sel = r.Select & (kSelSend | kSelErased);
        if (sel == kSelSend) {
            selection.written.push_back(i);
        } else if (sel != 0) {
            selection.erased.push_back(i);
        }
    }
    return selection;
}

std::vector<int> RecordsASendMayWrite(const ChannelMemory& memory, std::int16_t purgeMode) {
    std::vector<int> records = SelectedForSending(memory).written;
    if (purgeMode == 0) {
        for (int i = kFirstChannel; i <= kLastRecord; ++i) {
            const ChannelRecord& r = memory.Rec(i);
            if (r.IsDefined() && (r.Select & kSelFromRadio) != 0 &&
                (r.Select & (kSelSend | kSelErased)) == 0) {
                records.push_back(i);
            }
        }
        std::sort(records.begin(), records.end());
        records.erase(std::unique(records.begin(), records.end()), records.end());
    }
    return records;
}

std::vector<UnsendableChannel> UnsendableChannels(const ChannelMemory& memory,
                                                  const std::vector<int>& indices) {
    std::vector<UnsendableChannel> unsendable;
    for (const int index : indices) {
        std::vector<std::string> faults;
        if (!SendImage(memory, index, &faults)) {
            unsendable.push_back({index, std::move(faults)});
        }
    }
    return unsendable;
}

std::vector<UnsendableChannel> UnsendableChannels(const ChannelMemory& memory) {
    std::vector<int> defined;
    for (int i = 0; i <= kLastRecord; ++i) {
        if (memory.Rec(i).IsDefined()) {
            defined.push_back(i);
        }
    }
    return UnsendableChannels(memory, defined);
}

std::optional<BlockedSend> CheckBeforeSending(const ChannelMemory& memory, std::int16_t purgeMode) {
    const auto unsendable = UnsendableChannels(memory, RecordsASendMayWrite(memory, purgeMode));
    if (unsendable.empty()) {
        return std::nullopt;
    }
    return BlockedSend{unsendable.front().index,
                       "Nothing was sent and the radio was left as it was: these channels hold "
                       "values the radio's record cannot carry.\n" +
                           UnsendableText(unsendable)};
}

std::string UnsendableText(const std::vector<UnsendableChannel>& channels) {
    std::string text;
    for (const UnsendableChannel& channel : channels) {
        text += (text.empty() ? "Channel " : "\nChannel ") + ChannelBoxText(channel.index) + ":";
        for (std::size_t k = 0; k < channel.faults.size(); ++k) {
            text += (k == 0 ? " " : "; ") + channel.faults[k];
        }
    }
    return text;
}

}  // namespace kld
