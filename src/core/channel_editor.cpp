#include "channel_editor.h"

#include <algorithm>

#include "codecs.h"
#include "modes.h"
#include "shadows.h"
#include "tables.h"

namespace kld {

namespace {

std::int16_t Int16(int value) {
    return static_cast<std::int16_t>(value);
}

// Talk groups and NACs are stored completed even when the window did not run the box's leave
// rule: trimmed and zero-padded to their width. Longer text (only a file or radio can put it
// there) is kept, not cut from the front, so a bad value stays visible to the memory check.
std::string CompletedHex(std::string_view text, std::size_t width) {
    std::string value = Trim(text);
    if (value.size() < width) {
        value.insert(0, width - value.size(), '0');
    }
    return value;
}

// A tone or code position the list cannot show (a file or radio put it into the record, so the
// editor selected nothing) is no choice of the operator's: the record keeps what it holds.
std::int16_t ChosenPosition(int chosen, std::size_t tableSize, std::int16_t stored) {
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= tableSize) {
        return stored;
    }
    return Int16(chosen);
}

bool ListOffered(const std::vector<ZoneChoice>& choices, std::optional<int> list) {
    return list && std::any_of(choices.begin(), choices.end(),
                               [&](const ZoneChoice& c) { return c.list == *list; });
}

bool SquelchOffered(const std::vector<SquelchEntry>& list, std::optional<std::int16_t> code) {
    return SquelchPosition(list, code).has_value();
}

}  // namespace

std::vector<ZoneChoice> ZoneChoices(const ChannelMemory& memory, int index) {
    std::vector<ZoneChoice> choices;
    const bool known = IsRecordIndex(index);
    const int ownList = known ? ZoneOf(memory.Rec(index).Scan) : -1;
    const bool defined = known && memory.Rec(index).IsDefined();
    for (int z = 0; z < kGuardZone; ++z) {
        if (memory.ZoneCounts[static_cast<std::size_t>(z)] < kMaxChannelsPerZone ||
            (z == ownList && defined)) {
            choices.push_back({z, "List  " + std::to_string(z + 1)});
        }
    }
    return choices;
}

std::optional<int> ZoneChoicePosition(const std::vector<ZoneChoice>& choices,
                                      const ChannelRecord& record) {
    const int list = ZoneOf(record.Scan);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].list == list) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

void PrepareShownRecord(ChannelMemory& memory) {
    if (!IsRecordIndex(memory.Current)) {
        memory.Current = kFirstChannel;
    }
    const int c = memory.Current;
    ChannelRecord& record = memory.Rec(c);
    if (!record.IsDefined()) {
        record = memory.Rec(kDefaultRecord);
        record.Desc = "Chan " + std::to_string(c);
        record.Select = 0;
    }
}

ChannelView ViewCurrentChannel(ChannelMemory& memory) {
    PrepareShownRecord(memory);
    const int c = memory.Current;
    const ChannelRecord& r = memory.Rec(c);

    ChannelView view;
    view.index = c;
    view.channelText = ChannelBoxText(c);
    view.primaryText = " " + Format000(r.Prim);
    view.shadow = r.IsShadow();
    view.showScanAndList = !view.shadow && c < kGuard1;
    view.zones = ZoneChoices(memory, c);
    view.zonePosition = view.showScanAndList ? ZoneChoicePosition(view.zones, r) : std::nullopt;

    const int mode = ModeFlag(r.Mode) != 0 ? r.Mode : -1;
    view.squelch = SquelchListsFor(mode, view.shadow);

    EditorValues& v = view.values;
    if (view.zonePosition) {
        v.list = view.zones[static_cast<std::size_t>(*view.zonePosition)].list;
    }
    v.scan = r.IsScanMember();
    v.mode = mode;
    v.simplex = IsSimplex(r);
    v.desc = r.Desc.Trimmed();
    v.rxFreq = DisplayFrequency(r.RFrq.View());
    v.txFreq = DisplayFrequency(r.TFrq.View());
    if (SquelchOffered(view.squelch.rx, r.RSql)) {
        v.rxSquelch = r.RSql;
    }
    if (SquelchOffered(view.squelch.tx, r.TSql)) {
        v.txSquelch = r.TSql;
    }
    v.rxCtcss = r.RCTCSS;
    v.rxDcs = r.RDCS;
    v.txCtcss = r.TCTCSS;
    v.txDcs = r.TDCS;
    v.rxTalkGroup = r.RTG.Str();
    v.txTalkGroup = r.TTG.Str();
    v.rxNac = r.RNAC.Str();
    v.txNac = r.TNAC.Str();
    v.idCall = IdCallText(r.IDCall);
    // Choosing simplex runs its behaviour even when the record already is simplex: the Tx side
    // becomes a copy of the Rx side, so a digital channel with NAC or monitor squelch on both
    // sides shows Talk Group on transmit instead of an empty choice.
    if (v.simplex) {
        ChooseSimplex(v, view.shadow);
    }
    return view;
}

std::optional<int> EnterChannel(ChannelMemory& memory, std::string_view text, Operator& op) {
    const std::optional<int> index = ChannelLeaveRule(text, op);
    if (index) {
        memory.Current = Int16(*index);
    }
    return index;
}

EditableBoxes Editable(bool simplex, bool currentIsShadow) {
    return {.rxFreq = !currentIsShadow,
            .txFreq = !simplex && !currentIsShadow,
            .idCall = !simplex && !currentIsShadow,
            .txChoices = !simplex};
}

void ChooseSimplex(EditorValues& values, bool currentIsShadow) {
    values.simplex = true;
    FollowRxTone(values);
    FollowRxCode(values);
    FollowRxSquelch(values, currentIsShadow);
    FollowRxTalkGroup(values);
    FollowRxNac(values);
    FollowRxFrequency(values);
}

void FollowRxFrequency(EditorValues& values) {
    if (values.simplex) {
        values.txFreq = values.rxFreq;
    }
}

void FollowRxTalkGroup(EditorValues& values) {
    if (values.simplex) {
        values.txTalkGroup = values.rxTalkGroup;
    }
}

void FollowRxNac(EditorValues& values) {
    if (values.simplex) {
        values.txNac = values.rxNac;
    }
}

void FollowRxTone(EditorValues& values) {
    if (values.simplex) {
        values.txCtcss = values.rxCtcss;
    }
}

void FollowRxCode(EditorValues& values) {
    if (values.simplex) {
        values.txDcs = values.rxDcs;
    }
}

void FollowRxSquelch(EditorValues& values, bool currentIsShadow) {
    if (!values.simplex) {
        return;
    }
    const SquelchLists lists = SquelchListsFor(values.mode, currentIsShadow);
    const std::optional<int> tx =
        SimplexTxSquelch(values.mode, SquelchPosition(lists.rx, values.rxSquelch), lists);
    values.txSquelch = SquelchCode(lists.tx, tx);
}

std::optional<SquelchLists> ModeChanged(EditorValues& values, int& shownMode,
                                        bool currentIsShadow) {
    std::optional<SquelchLists> lists =
        SquelchListsOnModeChange(shownMode, values.mode, currentIsShadow);
    if (lists) {
        values.rxSquelch = lists->rx.front().code;
        values.txSquelch = lists->tx.front().code;
    }
    return lists;
}

Message DisabledModeMessage() {
    return {
        "Selected Operating Mode is currently disabled in the radio\n\n"
        "Mode will be changed to a valid choice",
        "Radio Operating Modes", Icon::Exclamation, Buttons::Ok};
}

Message DefaultsNotWrittenMessage() {
    return {
        "The default channel is stored, but KLD540.ini could not be written.\n\n"
        "Check that the program's folder can be written to, then store the default "
        "channel again to keep it for the next start.",
        "Settings File", Icon::Exclamation, Buttons::Ok};
}

Message MissingChoiceMessage(const std::vector<std::string>& fields) {
    std::string text = "The channel was not stored: nothing is chosen in\n\n";
    for (const std::string& field : fields) {
        text += "    " + field + "\n";
    }
    text += "\nMake a choice there, then store the channel again.";
    return {text, "Save Record", Icon::Exclamation, Buttons::Ok};
}

StoreOutcome StoreChannel(ChannelMemory& memory, const EditorValues& values, Operator& op,
                          const std::function<bool()>& saveDefaults) {
    StoreOutcome outcome;
    outcome.frequencies = {values.rxFreq, values.txFreq, values.simplex};
    outcome.idCall = values.idCall;
    const int c = memory.Current;
    if (!IsRecordIndex(c)) {
        return outcome;  // the editor always shows a record; there is nothing to store into
    }
    if (!CheckFrequencies(outcome.frequencies, op)) {
        return outcome;
    }
    ChannelRecord& r = memory.Rec(c);
    const bool shadow = r.IsShadow();
    const FrequencyFields& freq = outcome.frequencies;

    // The mode check decides first what the mode and squelch lists will hold, so that a store
    // that must be refused below is refused before anything has changed. A mode number that is
    // no mode is no choice at all: the check below refuses it, so there is nothing here to judge,
    // replace or call disabled.
    int mode = values.mode;
    std::optional<std::int16_t> rxSquelch = values.rxSquelch;
    std::optional<std::int16_t> txSquelch = values.txSquelch;
    const bool modeChosen = ModeFlag(mode) != 0;
    const bool modeAllowed = !modeChosen || IsModeAllowed(memory.EnabledModes, mode, freq.tx);
    if (!modeAllowed) {
        if (const auto replacement = FirstEnabledMode(memory.EnabledModes)) {
            int shownMode = mode;  // the selection the mode list last saw
            outcome.squelchLists = SquelchListsOnModeChange(shownMode, *replacement, shadow);
            if (outcome.squelchLists) {
                rxSquelch = outcome.squelchLists->rx.front().code;
                txSquelch = outcome.squelchLists->tx.front().code;
            }
            mode = *replacement;
            outcome.modeSelected = mode;
        }
    }

    // A choice the editor could not make has no value to store: refuse rather than invent one.
    // A squelch code the mode's list does not offer counts as no choice as well, and so does a
    // list that is full (another window's stale choice) or that the editor never offers.
    const bool keepsList = c <= kLastOrdinaryChannel && !shadow;
    const SquelchLists offered = SquelchListsFor(mode, shadow);
    std::vector<std::string> missing;
    if (keepsList && !ListOffered(ZoneChoices(memory, c), values.list)) {
        missing.push_back("List");
    }
    if (!modeChosen) {
        missing.push_back("Operating Mode");
    }
    if (!SquelchOffered(offered.rx, rxSquelch)) {
        missing.push_back("Rx Squelch Mode");
    }
    if (!SquelchOffered(offered.tx, txSquelch)) {
        missing.push_back("Tx Squelch Mode");
    }
    if (!missing.empty()) {
        outcome.modeSelected.reset();
        outcome.squelchLists.reset();
        op.Tell(MissingChoiceMessage(missing));
        return outcome;
    }

    // Lists and status. The template (record 0) keeps a list for the channels made from it but
    // is not a channel of that list: nothing else counts it (reset, load, receive), so neither
    // does a store, or the counts would drift each time the template moves list.
    if (keepsList) {
        const int chosen = *values.list;
        const bool counted = c != kDefaultRecord;
        if (!r.IsDefined()) {
            r.Prim = r.Chnl = Int16(c);
        } else {
            const int old = ZoneOf(r.Scan);
            std::int16_t& oldCount = memory.ZoneCounts[static_cast<std::size_t>(old)];
            if (counted && oldCount > 0) {
                --oldCount;
            }
            if (chosen != old && (r.Select & kSelFromRadio) != 0) {
                r.Select |= kSelListChanged;
            }
        }
        r.Shad = Int16(values.scan ? (r.Shad | kShadScanMember) : (r.Shad & ~kShadScanMember));
        r.Scan = ScanOfZone(chosen);
        if (counted) {
            ++memory.ZoneCounts[static_cast<std::size_t>(chosen)];
        }
    }

    if (!modeAllowed) {
        op.Tell(DisabledModeMessage());
    }

    r.Desc = Trim(values.desc);
    r.Mode = Int16(mode);
    r.RFrq = Trim(freq.rx).substr(0, 8);  // the fifth decimal is implied by the fourth
    r.RSql = *rxSquelch;
    r.RTG = CompletedHex(values.rxTalkGroup, 4);
    r.RCTCSS = ChosenPosition(values.rxCtcss, CtcssTable().size(), r.RCTCSS);
    r.RDCS = ChosenPosition(values.rxDcs, DcsTable().size(), r.RDCS);
    r.RNAC = CompletedHex(values.rxNac, 3);
    r.TFrq = Trim(freq.tx).substr(0, 8);
    r.TSql = *txSquelch;
    r.TTG = CompletedHex(values.txTalkGroup, 4);
    r.TCTCSS = ChosenPosition(values.txCtcss, CtcssTable().size(), r.TCTCSS);
    r.TDCS = ChosenPosition(values.txDcs, DcsTable().size(), r.TDCS);
    r.TNAC = CompletedHex(values.txNac, 3);
    outcome.idCall = IdCallDigits(values.idCall);
    PackIdCall(outcome.idCall, r.IDCall);
    outcome.changedRecords.push_back(c);

    // Shadows take their primary's frequencies. A stale slot (from a file or a radio) that names
    // a channel which is no shadow of this one leaves that channel alone.
    if (r.HasShadows()) {
        for (const int s : ShadowsOf(memory, c)) {
            memory.Rec(s).RFrq = r.RFrq;
            memory.Rec(s).TFrq = r.TFrq;
            outcome.changedRecords.push_back(s);
        }
    }

    if (!r.IsDefined()) {
        r.Select = kSelCreatedHere;
    }
    r.Select |= kSelDefined | kSelSend;

    if (c == kDefaultRecord && saveDefaults && !saveDefaults()) {
        // The record stays stored; only the copy for the next start is missing.
        outcome.defaultsWritten = false;
        op.Tell(DefaultsNotWrittenMessage());
    }

    outcome.stored = true;
    outcome.next = NextChannel(c);
    memory.Current = Int16(outcome.next);
    memory.Saved = false;
    return outcome;
}

}  // namespace kld
