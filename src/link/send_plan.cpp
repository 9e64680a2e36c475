#include "send_plan.h"

#include <algorithm>
#include <array>

#include "field_rules.h"
#include "shadows.h"
#include "wire_codec.h"

namespace kld {

SendSelection SelectedForSending(const ChannelMemory& memory) {
    std::array<std::int16_t, kLastRecord + 1> select{};
    for (int i = 0; i <= kLastRecord; ++i) {
        select[static_cast<std::size_t>(i)] = memory.Rec(i).Select;
    }
    const auto mark = [&](int index) { select[static_cast<std::size_t>(index)] |= kSelSend; };
    // As the send picks them: a selected (or erased) shadow brings its primary and the
    // primary's listed shadows, marks made on the way counting for later records.
    for (int i = 0; i <= kLastOrdinaryChannel; ++i) {
        const ChannelRecord& r = memory.Rec(i);
        if (r.IsDefined() && (select[static_cast<std::size_t>(i)] & (kSelSend | kSelErased)) != 0 &&
            r.IsShadow()) {
            for (const int index : SentWithShadow(memory, i)) {
                mark(index);
            }
        }
    }
    SendSelection selection;
    for (int i = 0; i <= kLastRecord; ++i) {
        if (!memory.Rec(i).IsDefined()) {
            continue;
        }
        const int sel = select[static_cast<std::size_t>(i)] & (kSelSend | kSelErased);
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
