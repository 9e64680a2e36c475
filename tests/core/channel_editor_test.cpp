#include "channel_editor.h"

#include <sstream>

#include "core_support.h"

namespace kld::test {
namespace {

// Each receive-side handler copies its own value to the transmit side while Sx is chosen, and
// nothing else; in duplex none of them changes anything. ChooseSimplex runs them all. The mode
// list refills and picks the first entries only across Digital, and keeps its Tag; the channel
// box moves Current only on an entry its leave rule accepts.
TEST(ChannelEditor, FollowRulesModeListAndChannelBox) {
    const auto tx = [](void (*handle)(V&), bool simplex) {
        V v;
        v.simplex = simplex, v.mode = kModeNarrow, v.txFreq = "143.0000", v.txSquelch = kSqlDcs;
        v.txCtcss = 3, v.txDcs = 4, v.txTalkGroup = "00B0", v.txNac = "0B0";
        handle(v);
        return v.txFreq + "|" + static_cast<char>(v.txSquelch.value_or('_')) + "|" +
               std::to_string(v.txCtcss) + "|" + std::to_string(v.txDcs) + "|" + v.txTalkGroup +
               "|" + v.txNac;
    };
    const auto follows = [&tx](void (*handle)(V&)) {
        return tx(handle, false) == tx([](V&) {}, false) ? tx(handle, true) : "duplex changed";
    };
    const auto changed = [](int tag, int mode, bool shadow) {
        V v;
        v.mode = mode, v.rxSquelch = kSqlCtcss, v.txSquelch = kSqlDcs;
        const std::optional<SquelchLists> lists = ModeChanged(v, tag, shadow);
        return std::to_string(tag) + (lists ? std::to_string(lists->tx.size()) : "-") +
               static_cast<char>(*v.rxSquelch) + static_cast<char>(*v.txSquelch);
    };
    // clang-format off
    ExpectRows<const char*, void (*)(V&)>(follows, {
        {[](V& v) { v.rxFreq = "150.01", FollowRxFrequency(v); }, "150.01|c|3|4|00B0|0B0"},
        {[](V& v) { v.rxTalkGroup = "1A", FollowRxTalkGroup(v); }, "143.0000|c|3|4|1A|0B0"},
        {[](V& v) { v.rxNac = "", FollowRxNac(v); }, "143.0000|c|3|4|00B0|"},
        {[](V& v) { v.rxCtcss = 41, FollowRxTone(v); }, "143.0000|c|41|4|00B0|0B0"},
        {[](V& v) { v.rxDcs = 82, FollowRxCode(v); }, "143.0000|c|3|82|00B0|0B0"},
        {[](V& v) { v.rxSquelch = kSqlCtcss, FollowRxSquelch(v, false); }, "143.0000|t|3|4|00B0|0B0"},
        {[](V& v) { v.mode = kModeDigital, v.rxSquelch = kSqlNac, FollowRxSquelch(v, true); }, "143.0000|g|3|4|00B0|0B0"},
        {[](V& v) { v.rxFreq = "150.01", v.rxSquelch = kSqlCtcss, v.rxCtcss = 41, v.rxDcs = 82,
                    v.rxTalkGroup = "1A", v.rxNac = "", v.simplex ? ChooseSimplex(v, false) : void(); },
         "150.01|t|41|82|1A|"}});
    ExpectRows<std::string, int, int, bool>(changed, {{kModeNarrow, kModeDigital, false, "23mg"},
        {kModeNarrow, kModeDigital, true, "22mg"}, {kModeDigital, kModeWide, false, "04xx"},
        {kModeWide, kModeNarrow, false, "1-tc"}, {-1, kModeWide, false, "0-tc"}});
    // clang-format on
    M memory;
    ScriptedOperator op;
    EXPECT_EQ(EnterChannel(memory, "GD1", op), 231);
    EXPECT_FALSE(EnterChannel(memory, "0", op));
    EXPECT_EQ(std::pair(int{memory.Current}, op.beeps), std::pair(231, 1));
}

// The edits of a row of cases/store.txt made to the values shown; false for "ini=fails".
bool Edit(const std::string& edits, V& v, M& memory) {
    std::istringstream words(edits);
    bool iniWritten = true;
    for (std::string word; words >> word;) {
        const std::string box = word.substr(0, word.find('=')), value = word.substr(box.size() + 1);
        if (box == "list") {
            v.list = value == "none" ? std::nullopt : std::optional(Int(value));
        } else if (box == "mode") {
            v.mode = Int(value);
        } else if (box == "rxFreq" || box == "txFreq") {
            (box == "rxFreq" ? v.rxFreq : v.txFreq) = value;
        } else if (box == "rxSquelch") {
            v.rxSquelch.reset();
        } else if (box == "txSquelch") {
            v.txSquelch = value.at(0);
        } else if (box == "current") {
            memory.Current = static_cast<S>(Int(value));
        } else {
            iniWritten = false;
            EXPECT_EQ(word, "ini=fails");
        }
    }
    return iniWritten;
}

// "Save Record" as each row of cases/store.txt says: the messages, and what the store did.
TEST(ChannelEditor, StoreListsFlagsModeCheckAndRefusals) {
    for (const Cells& row : Cases("store.txt")) {
        SCOPED_TRACE(row.at(3));
        const int index = Int(row.at(1));
        M memory = CleanMemory();
        memory.ZoneCounts[4] = kMaxChannelsPerZone;
        memory.EnabledModes = static_cast<std::uint8_t>(Int(row.at(0)));
        ChannelRecord& five = Define(memory, 5, 0xC0);
        five.TFrq = "150.0000", five.RSql = kSqlCtcss, five.TSql = kSqlDcs;
        Define(memory, 7, 0xA0), Define(memory, 9, 0xA1, 6).Shad = 3, --memory.ZoneCounts[6];
        V values = Shown(memory, index);
        const bool iniWritten = Edit(row.at(2), values, memory);
        const M before = memory;
        ScriptedOperator op;
        bool saved = false;
        const StoreOutcome out =
            StoreChannel(memory, values, op, [&] { return saved = true, iniWritten; });
        std::string summary = Texts(op.shown) + (out.stored ? "stored" : "refused");
        if (out.stored) {
            const ChannelRecord& r = memory.Rec(index);
            char text[40];
            std::snprintf(text, sizeof text, " %02X %02X %d%c%c next %d", r.Select, r.Scan, r.Mode,
                          r.RSql, r.TSql, out.next);
            summary += text;
            EXPECT_EQ(std::tuple(r.Prim, r.Chnl, int{memory.Current}, memory.Saved),
                      std::tuple(index, index, out.next, false));
        } else {
            EXPECT_TRUE(memory.Records == before.Records && memory.Current == before.Current &&
                        memory.Saved);
        }
        summary += CountChanges(before, memory) + (out.modeSelected ? " selected" : "") +
                   (out.squelchLists ? " lists" : "") + (saved ? " saved" : "");
        EXPECT_EQ(summary, row.at(3));
        EXPECT_EQ(out.defaultsWritten, iniWritten);
    }
}

TEST(ChannelEditor, StoreWritesTheFieldsAndShadowsFollowTheirPrimary) {
    M memory = CleanMemory();
    memory.ZoneCounts[0] = kMaxChannelsPerZone - 1;
    ChannelRecord& r = Define(memory, 5, 0xC1, 0);  // its list is full now, but its own
    r.Shad = kShadPrimary, r.RCTCSS = 300, r.TDCS = -9;
    // Slots 0 and 2 hold shadows; slot 1 is free; slots 3 to 6 hold what a file may carry: no
    // record, an ordinary channel, another primary's shadow.
    r.ShadList = {20, 0, 21, 500, -3, 22, 23, 0};
    Define(memory, 20, 0xA1, 1).Shad = 1;
    Define(memory, 21, 0xA1, 1).Shad = 3;
    memory.Rec(20).Prim = memory.Rec(21).Prim = 5;
    Define(memory, 22, 0xA1, 1);
    Define(memory, 23, 0xA1, 1).Shad = 1;  // its primary is itself
    const std::pair others(memory.Rec(22), memory.Rec(23));
    V v = Shown(memory, 5);
    EXPECT_EQ(std::pair(v.list, ZoneChoices(memory, 5).back()),  // its own full list; never 15
              std::pair(std::optional<int>(0), ZoneChoice{14, "List  15"}));
    v.desc = "  0123456789", v.scan = true, v.idCall = "42";
    v.simplex = false, v.rxFreq = "150.0063", v.txFreq = "155.01249";  // the leave rules rewrite
    v.rxTalkGroup = "1A", v.rxNac = "A3";                              // completed by the store
    v.rxCtcss = -1, v.rxDcs = 82, v.txCtcss = 41, v.txDcs = 83;        // -1 and 83: no position
    ScriptedOperator op;
    const StoreOutcome outcome = StoreChannel(memory, v, op, {});
    ASSERT_TRUE(outcome.stored);
    EXPECT_EQ(r.Desc.Str() + r.RFrq.Str() + r.TFrq.Str() + r.RTG.Str() + r.RNAC.Str(),
              "01234567150.0062  155.0125  001A  0A3   ");
    EXPECT_EQ(std::tuple(r.Shad, r.RCTCSS, r.RDCS, r.TCTCSS, r.TDCS, r.IDCall[3], outcome.idCall),
              std::tuple(kShadPrimary | kShadScanMember, 300, 82, 41, -9, 0x42, "0000042"));
    for (int s : {20, 21}) {
        EXPECT_EQ(memory.Rec(s).RFrq.Str() + memory.Rec(s).TFrq.Str(), "150.0062  155.0125  ");
    }
    EXPECT_EQ(std::pair(memory.Rec(22), memory.Rec(23)), others);
    EXPECT_EQ(outcome.changedRecords, (std::vector<int>{5, 20, 21}));
    const V again = Shown(memory, 5);  // reads back what was stored
    EXPECT_EQ(again.rxFreq + again.txFreq + again.idCall + (again.scan ? " scan" : ""),
              "150.00625155.012500000042 scan");
    const V undefined = Shown(memory, 6);  // a template copy, and the list is full
    EXPECT_EQ(std::pair(undefined.desc, undefined.list),
              std::pair(std::string("Chan 6"), std::optional<int>()));
    memory.Current = 233;  // as the memory check leaves it: channel 1 is shown
    EXPECT_EQ(ViewCurrentChannel(memory).index, 1);
    ChannelRecord& nac = Define(memory, 7, 0xA1, 1);  // simplex digital, NAC on both sides
    nac.Mode = kModeDigital, nac.RSql = nac.TSql = kSqlNac;
    EXPECT_EQ(Shown(memory, 7).txSquelch, kSqlTalkGroup) << "showing runs the simplex choice";
}

}  // namespace
}  // namespace kld::test
