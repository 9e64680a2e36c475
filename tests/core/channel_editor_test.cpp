#include <gtest/gtest.h>

#include <functional>

#include "channel_editor.h"
#include "fake_operator.h"

namespace kld {
namespace {

// A memory as start-up leaves it: a narrowband template in list 0, cleared, narrow and digital
// enabled.
ChannelMemory CleanMemory() {
    ChannelMemory memory;
    ChannelRecord& t = memory.Rec(kDefaultRecord);
    t.Select = kSelDefined;
    t.Desc = "Desc";
    t.Mode = kModeNarrow;
    t.RFrq = t.TFrq = "141.0000";
    t.RSql = t.TSql = kSqlNoise;
    t.RTG = t.TTG = "0001";
    t.RNAC = t.TNAC = "293";
    t.IDCall = {0, 0, 0, 1, 0};
    ClearMemory(memory);
    return memory;
}

// The editor's values for `index` as the window shows them.
EditorValues Shown(ChannelMemory& memory, int index) {
    memory.Current = static_cast<std::int16_t>(index);
    return ShowChannel(memory).values;
}

// A channel stored earlier (by this program or received) in `list`.
ChannelRecord& Stored(ChannelMemory& memory, int index, int list, std::int16_t select) {
    ChannelRecord& r = memory.Rec(index);
    r = memory.Rec(kDefaultRecord);
    r.Select = select;
    r.Prim = r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = static_cast<std::int16_t>(list * 16);
    ++memory.ZoneCounts[static_cast<std::size_t>(list)];
    return r;
}

StoreOutcome Store(ChannelMemory& memory, const EditorValues& values, test::ScriptedOperator& op,
                   std::function<bool()> saveDefaults = {}) {
    return Save_Click(memory, values, op, saveDefaults);
}

TEST(StoreTest, ListCountsAndStatusFlags) {
    struct Row {
        const char* name;
        int index;
        int priorList;             // -1: the record as the reset left it
        std::int16_t priorSelect;  // of a record stored before
        bool shadow;
        std::optional<int> list;  // chosen in the editor
        int lost, gained;         // lists whose count goes down and up (-1: none)
        std::int16_t select, scan;
        int next;
    } rows[] = {
        // clang-format off
        {"first store of an undefined channel", 5, -1, 0, false, 0, -1, 0, 0xA1, 0x00, 6},
        {"re-store in the same list", 5, 2, 0xA0, false, 2, -1, -1, 0xA1, 0x20, 6},
        {"received channel moved from list 2 to 3", 7, 2, 0xC0, false, 3, 2, 3, 0xC5, 0x30, 8},
        {"received channel kept in its list", 7, 2, 0xC0, false, 2, -1, -1, 0xC1, 0x20, 8},
        {"channel made here moved, no 0x04", 7, 2, 0xA0, false, 3, 2, 3, 0xA1, 0x30, 8},
        {"template is in no list", 0, -1, 0, false, 4, -1, -1, 0x81, 0x40, 1},
        {"guard keeps list and counts", 232, -1, 0, false, std::nullopt, -1, -1, 0x81, 0xF1, 1},
        {"channel 230 moves on to guard 1", 230, -1, 0, false, 1, -1, 1, 0xA1, 0x10, 231},
        {"shadow keeps list and counts", 9, 6, 0xA1, true, std::nullopt, -1, -1, 0xA1, 0x60, 10},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = CleanMemory();
        if (row.priorList >= 0) {
            Stored(memory, row.index, row.priorList, row.priorSelect);
            if (row.shadow) {
                memory.Rec(row.index).Shad = 3;
                --memory.ZoneCounts[static_cast<std::size_t>(row.priorList)];
            }
        }
        EditorValues values = Shown(memory, row.index);
        values.list = row.list;
        auto counts = memory.ZoneCounts;
        test::ScriptedOperator op;
        const StoreOutcome outcome = Store(memory, values, op, [] { return true; });
        ASSERT_TRUE(outcome.stored);
        EXPECT_TRUE(op.shown.empty());
        EXPECT_EQ(memory.Rec(row.index).Select, row.select);
        EXPECT_EQ(memory.Rec(row.index).Scan, row.scan);
        if (row.lost >= 0) {
            --counts[static_cast<std::size_t>(row.lost)];
        }
        if (row.gained >= 0) {
            ++counts[static_cast<std::size_t>(row.gained)];
        }
        EXPECT_EQ(memory.ZoneCounts, counts);
        EXPECT_EQ(outcome.next, row.next);
        EXPECT_EQ(memory.Current, row.next);
        EXPECT_FALSE(memory.Saved);
    }
}

TEST(StoreTest, FirstStoreOwnsTheChannelAndStoresTheFields) {
    ChannelMemory memory = CleanMemory();
    EditorValues values = Shown(memory, 5);
    EXPECT_EQ(values.desc, "Chan 5");
    EXPECT_EQ(memory.Rec(5).Select, 0);  // shown, still undefined
    values.desc = "  0123456789";
    values.rxFreq = "150.0062";
    values.simplex = true;
    values.scan = true;
    values.idCall = "42";
    values.rxTalkGroup = "1A";
    values.rxNac = "0A3";
    test::ScriptedOperator op;
    const StoreOutcome outcome = Store(memory, values, op);
    ASSERT_TRUE(outcome.stored);
    const ChannelRecord& r = memory.Rec(5);
    EXPECT_EQ(r.Prim, 5);
    EXPECT_EQ(r.Chnl, 5);
    EXPECT_EQ(r.Desc.View(), "01234567");
    EXPECT_EQ(r.RFrq.View(), "150.0062  ");
    EXPECT_EQ(r.TFrq.View(), "150.0062  ");  // simplex follows the receive box
    EXPECT_EQ(r.RTG.View(), "001A  ");
    EXPECT_EQ(r.RNAC.View(), "0A3   ");
    EXPECT_TRUE(r.IsScanMember());
    EXPECT_EQ(outcome.idCall, "0000042");
    EXPECT_EQ(r.IDCall[3], 0x42);
    EXPECT_EQ(outcome.changedRecords, std::vector<int>{5});
    // Shown again, the channel reads back what was stored.
    const EditorValues again = Shown(memory, 5);
    EXPECT_EQ(again.rxFreq, "150.00625");
    EXPECT_EQ(again.idCall, "0000042");
    EXPECT_EQ(again.list, 0);
}

TEST(StoreTest, ModeCheckReplacesDisabledModesAndRefillsSquelch) {
    struct Row {
        const char* name;
        std::uint8_t enabled;
        int mode;
        const char* txFreq;
        bool message;
        int storedMode;
        std::int16_t rxSql, txSql;
        bool refilled;
    } rows[] = {
        // clang-format off
        {"wide in the marine band", 0x30, kModeWide, "157.0000", false, kModeWide, 't', 'c', false},
        {"wide outside it", 0x30, kModeWide, "150.0000", true, kModeNarrow, 't', 'c', false},
        {"wide at 163.0 is outside", 0x30, kModeWide, "163.0000", true, kModeNarrow, 't', 'c', false},
        {"wide to digital", 0x10, kModeWide, "150.0000", true, kModeDigital, 'm', 'g', true},
        {"digital to wide", 0x40, kModeDigital, "150.0000", true, kModeWide, 'x', 'x', true},
        {"nothing enabled keeps the choice", 0x00, kModeNarrow, "150.0000", true, kModeNarrow, 't', 'c', false},
        // clang-format on
    };
    const Message modeMessage{
        "Selected Operating Mode is currently disabled in the radio\n\nMode will be changed to a "
        "valid choice",
        "Radio Operating Modes", Icon::Exclamation, Buttons::Ok};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = CleanMemory();
        memory.EnabledModes = row.enabled;
        EditorValues values = Shown(memory, 5);
        values.mode = row.mode;
        values.simplex = false;
        values.txFreq = row.txFreq;
        const bool digital = row.mode == kModeDigital;
        values.rxSquelch = digital ? kSqlNac : kSqlCtcss;
        values.txSquelch = digital ? kSqlIdCall : kSqlDcs;
        if (row.refilled) {
            values.rxSquelch.reset();  // the refilled lists supply what the editor lacked
        }
        test::ScriptedOperator op;
        const StoreOutcome outcome = Store(memory, values, op);
        ASSERT_TRUE(outcome.stored);
        EXPECT_EQ(op.shown,
                  row.message ? std::vector<Message>{modeMessage} : std::vector<Message>{});
        const ChannelRecord& r = memory.Rec(5);
        EXPECT_EQ(r.Mode, row.storedMode);
        EXPECT_EQ(r.RSql, row.rxSql);
        EXPECT_EQ(r.TSql, row.txSql);
        EXPECT_EQ(outcome.squelchLists.has_value(), row.refilled);
        EXPECT_EQ(outcome.modeSelected.has_value(), row.message && row.enabled != 0);
    }
}

TEST(StoreTest, RefusesBadFrequenciesAndMissingChoicesWithoutChangingAnything) {
    struct Row {
        const char* name;
        std::uint8_t enabled;
        std::function<void(EditorValues&)> edit;
        std::size_t messages;
        const char* lastText;
    } rows[] = {
        {"both frequencies bad in duplex", 0x30,
         [](EditorValues& v) {
             v.simplex = false;
             v.rxFreq = "180";
             v.txFreq = "100";
         },
         4, "Tx Frequency not valid"},
        {"no list chosen", 0x30, [](EditorValues& v) { v.list.reset(); }, 1,
         "The channel was not stored: nothing is chosen in\n\n    List\n\nMake a choice there, "
         "then store the channel again."},
        {"full list chosen", 0x30, [](EditorValues& v) { v.list = 3; }, 1, nullptr},
        {"list 15 is never offered", 0x30, [](EditorValues& v) { v.list = 15; }, 1, nullptr},
        {"no squelch chosen", 0x30,
         [](EditorValues& v) {
             v.rxSquelch.reset();
             v.txSquelch = kSqlMonitor;  // not on the analog transmit list
         },
         1,
         "The channel was not stored: nothing is chosen in\n\n    Rx Squelch Mode\n    Tx Squelch "
         "Mode\n\nMake a choice there, then store the channel again."},
        {"no mode and none to replace it", 0x00, [](EditorValues& v) { v.mode = -1; }, 1, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = CleanMemory();
        memory.ZoneCounts[3] = kMaxChannelsPerZone;
        Stored(memory, 5, 2, 0xC0);
        memory.EnabledModes = row.enabled;
        EditorValues values = Shown(memory, 5);
        row.edit(values);
        const ChannelMemory before = memory;
        test::ScriptedOperator op;
        const StoreOutcome outcome = Store(memory, values, op);
        EXPECT_FALSE(outcome.stored);
        ASSERT_EQ(op.shown.size(), row.messages);
        if (row.lastText) {
            EXPECT_EQ(op.shown.back().text, row.lastText);
        }
        EXPECT_EQ(memory.Records, before.Records);
        EXPECT_EQ(memory.ZoneCounts, before.ZoneCounts);
        EXPECT_EQ(memory.Current, 5);
        EXPECT_TRUE(memory.Saved);
    }
}

TEST(StoreTest, DefaultRecordRewritesTheSettingsFileAndSurvivesAFailure) {
    for (bool writes : {true, false}) {
        SCOPED_TRACE(writes);
        ChannelMemory memory = CleanMemory();
        EditorValues values = Shown(memory, 0);
        values.desc = "Template";
        int calls = 0;
        test::ScriptedOperator op;
        const StoreOutcome outcome = Store(memory, values, op, [&] {
            ++calls;
            return writes;
        });
        EXPECT_TRUE(outcome.stored);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(memory.Rec(0).Desc.Trimmed(), "Template");
        EXPECT_EQ(outcome.defaultsWritten, writes);
        EXPECT_EQ(op.shown.size(), writes ? 0u : 1u);
        if (!writes) {
            EXPECT_EQ(op.shown[0], DefaultsNotWrittenMessage());
        }
    }
    ChannelMemory memory = CleanMemory();
    int calls = 0;
    test::ScriptedOperator op;
    Store(memory, Shown(memory, 5), op, [&] { return ++calls, true; });
    EXPECT_EQ(calls, 0);  // only the template goes to the settings file
}

TEST(StoreTest, ShadowsFollowTheirPrimarysFrequencies) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& primary = Stored(memory, 5, 0, 0xA1);
    primary.Shad = kShadPrimary;
    // Slots 0 and 2 hold shadows; slot 1 is free; slots 3 and 4 hold what a file may carry.
    primary.ShadList = {20, 0, 21, 500, -3, 0, 0, 0};
    for (int s : {20, 21}) {
        Stored(memory, s, 0, 0xA1).Shad = 1;
    }
    const ChannelRecord untouched = memory.Rec(22);
    EditorValues values = Shown(memory, 5);
    values.simplex = false;
    values.rxFreq = "150.0125";
    values.txFreq = "155.0062";
    test::ScriptedOperator op;
    const StoreOutcome outcome = Store(memory, values, op);
    ASSERT_TRUE(outcome.stored);
    for (int s : {20, 21}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(memory.Rec(s).RFrq.View(), "150.0125  ");
        EXPECT_EQ(memory.Rec(s).TFrq.View(), "155.0062  ");
    }
    EXPECT_EQ(memory.Rec(22), untouched);
    EXPECT_EQ(outcome.changedRecords, (std::vector<int>{5, 20, 21}));
}

TEST(StoreTest, PositionsNoListCanShowKeepTheStoredValue) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& r = Stored(memory, 5, 0, 0xC0);
    r.RCTCSS = 300;
    r.TDCS = -9;
    EditorValues values = Shown(memory, 5);
    values.rxCtcss = -1;  // the tone list found nothing to select
    values.rxDcs = 82;
    values.txCtcss = 41;
    values.txDcs = 83;
    test::ScriptedOperator op;
    ASSERT_TRUE(Store(memory, values, op).stored);
    EXPECT_EQ(r.RCTCSS, 300);
    EXPECT_EQ(r.RDCS, 82);
    EXPECT_EQ(r.TCTCSS, 41);
    EXPECT_EQ(r.TDCS, -9);
}

TEST(StoreTest, CurrentOutsideTheTableStoresNothing) {
    ChannelMemory memory = CleanMemory();
    EditorValues values = Shown(memory, 5);
    memory.Current = 233;
    const ChannelMemory before = memory;
    test::ScriptedOperator op;
    EXPECT_FALSE(Store(memory, values, op).stored);
    EXPECT_EQ(memory.Records, before.Records);
}

TEST(ZoneChoicesTest, FullListsOnlyForTheirOwnDefinedChannels) {
    ChannelMemory memory = CleanMemory();
    memory.ZoneCounts[2] = kMaxChannelsPerZone;
    Stored(memory, 7, 2, 0xA1);
    memory.Rec(0).Scan = 0x20;  // the template sits in the full list
    const auto lists = [&](int index) {
        std::vector<int> offered;
        for (const ZoneChoice& c : ZoneChoices(memory, index)) {
            offered.push_back(c.list);
        }
        return offered;
    };
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    std::vector<int> withoutFull = all;
    withoutFull.erase(withoutFull.begin() + 2);
    EXPECT_EQ(lists(7), all);
    EXPECT_EQ(lists(8), withoutFull);
    EXPECT_EQ(ZoneChoices(memory, 7)[2].text, "List  3");
    EXPECT_FALSE(Shown(memory, 8).list.has_value());  // shown undefined: its list is full
}

TEST(SquelchModesTest, ListsFollowTheModeAndShadows) {
    const SquelchLists digital = FillSquelchModes(kModeDigital, false);
    const std::vector<SquelchEntry> digitalTx = {
        {"Talk Group  'g'", 'g'}, {"ID Call          'i'", 'i'}, {"Tx Inhibit      '-'", '-'}};
    EXPECT_EQ(digital.rx, (std::vector<SquelchEntry>{{"Monitor       'm'", 'm'},
                                                     {"NAC            'n'", 'n'},
                                                     {"Talk Group  'g'", 'g'}}));
    EXPECT_EQ(digital.tx, digitalTx);
    EXPECT_EQ(FillSquelchModes(kModeDigital, true).tx,
              (std::vector<SquelchEntry>{digitalTx[0], digitalTx[2]}));
    const SquelchLists analog = FillSquelchModes(-1, true);
    EXPECT_EQ(analog.rx, (std::vector<SquelchEntry>{{"Noise          'x'", 'x'},
                                                    {"CTCSS        't'", 't'},
                                                    {"DCS            'c'", 'c'}}));
    EXPECT_EQ(analog.tx.back(), (SquelchEntry{"Tx Inhibit     '-'", '-'}));
    EXPECT_EQ(FillSquelchModes(kModeWide, false), FillSquelchModes(kModeNarrow, false));

    int tag = kModeWide;
    EXPECT_FALSE(Modes_Click(tag, kModeNarrow, false));
    EXPECT_EQ(tag, kModeNarrow);
    const auto toDigital = Modes_Click(tag, kModeDigital, false);
    ASSERT_TRUE(toDigital);
    EXPECT_EQ(toDigital->rx.front().code, 'm');
    EXPECT_EQ(toDigital->tx.front().code, 'g');
    EXPECT_FALSE(Modes_Click(tag, kModeDigital, false));  // the same mode again
    const auto toWide = Modes_Click(tag, kModeWide, false);
    ASSERT_TRUE(toWide);
    EXPECT_EQ(toWide->tx.front().code, 'x');
}

TEST(SimplexTest, TransmitSideFollowsTheReceiveSide) {
    EditorValues v;
    v.mode = kModeNarrow;
    v.rxSquelch = kSqlDcs;
    v.rxCtcss = 7;
    v.rxDcs = 9;
    v.rxFreq = "150.01250";
    v.rxTalkGroup = "00AB";
    v.rxNac = "F00";
    EditorValues expected = v;
    expected.txSquelch = kSqlDcs;
    expected.txCtcss = 7;
    expected.txDcs = 9;
    expected.txFreq = "150.01250";
    expected.txTalkGroup = "00AB";
    expected.txNac = "F00";
    Sx_Click(v, false);
    EXPECT_EQ(v, expected);
    v.mode = kModeDigital;
    v.rxSquelch = kSqlNac;
    Sx_Click(v, false);
    EXPECT_EQ(v.txSquelch, kSqlTalkGroup);  // digital: always the first transmit entry
}

}  // namespace
}  // namespace kld
