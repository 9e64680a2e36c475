#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "channel_memory.h"
#include "fake_operator.h"
#include "memory_check.h"

namespace kld {
namespace {

const Message kInvalidData{"Memory data contains invalid data", "Invalid Data", Icon::Exclamation,
                           Buttons::Ok};

Message ModesQuestion(const char* lines) {
    return {std::string("The following operating modes are used in the memory data but are "
                        "currently disabled:\n\n") +
                lines +
                "\nDo you wish to update memory data to use a valid mode?\n"
                "\nPress OK to update data or CANCEL to leave data unchanged",
            "Radio Operating Modes", Icon::Exclamation, Buttons::OkCancel};
}

// A memory as start-up leaves it: a narrowband template, cleared, narrow and digital enabled.
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
    t.RFRec = 1;
    ClearMemory(memory);
    memory.EnabledModes = kEnableNarrow | kEnableDigital;
    return memory;
}

ChannelRecord& Define(ChannelMemory& memory, int index, int list) {
    ChannelRecord& r = memory.Rec(index);
    r.Select = kSelDefined | kSelCreatedHere;
    r.Prim = r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = static_cast<std::int16_t>(list * 16);
    return r;
}

void DefineRange(ChannelMemory& memory, int first, int last, int list) {
    for (int index = first; index <= last; ++index) {
        Define(memory, index, list);
    }
}

ChannelRecord& Wideband(ChannelMemory& memory, int index, const char* txFreq) {
    ChannelRecord& r = Define(memory, index, 2);
    r.Mode = kModeWide;
    r.TFrq = txFreq;
    return r;
}

TEST(CheckDatabaseTest, CleanMemorySaysNothing) {
    ChannelMemory memory = CleanMemory();
    test::ScriptedOperator op;
    EXPECT_EQ(CheckDatabase(memory, op), 0);
    EXPECT_TRUE(op.shown.empty());
    EXPECT_EQ(memory.Current, 233);
}

TEST(CheckDatabaseTest, InvalidDataIsReportedOnceWhateverTheCount) {
    struct Row {
        const char* name;
        void (*apply)(ChannelMemory&);
        bool invalid;
    } rows[] = {
        {"receive frequency below range", [](ChannelMemory& m) { m.Rec(5).RFrq = "100.0000"; },
         true},
        {"both frequencies out of range",
         [](ChannelMemory& m) {
             m.Rec(5).RFrq = "100.0000";
             m.Rec(5).TFrq = "180.0000";
         },
         true},
        {"range limits are valid",
         [](ChannelMemory& m) {
             m.Rec(5).RFrq = "136.0000";
             m.Rec(5).TFrq = "174.0000";
         },
         false},
        {"just above the top", [](ChannelMemory& m) { m.Rec(5).TFrq = "174.0001"; }, true},
        {"undefined record with no frequency", [](ChannelMemory& m) { m.Rec(100).RFrq = ""; },
         true},
        {"template out of range", [](ChannelMemory& m) { m.Rec(0).TFrq = "135.0000"; }, true},
        {"NAC 29 and a blank", [](ChannelMemory& m) { m.Rec(5).RNAC = "29"; }, true},
        {"NAC 0A3", [](ChannelMemory& m) { m.Rec(5).TNAC = "0A3"; }, false},
        {"talk group 001G", [](ChannelMemory& m) { m.Rec(5).TTG = "001G"; }, true},
        {"talk group 001A", [](ChannelMemory& m) { m.Rec(5).RTG = "001A"; }, false},
        {"16 channels in a list", [](ChannelMemory& m) { DefineRange(m, 2, 17, 3); }, false},
        {"17 channels in a list", [](ChannelMemory& m) { DefineRange(m, 2, 18, 3); }, true},
        {"Main and 15 more in list 0", [](ChannelMemory& m) { DefineRange(m, 2, 16, 0); }, false},
        {"Main and 16 more in list 0", [](ChannelMemory& m) { DefineRange(m, 2, 17, 0); }, true},
        {"guards and 15 more in list 15", [](ChannelMemory& m) { DefineRange(m, 2, 16, 15); },
         true},
        {"template does not count",
         [](ChannelMemory& m) {
             DefineRange(m, 2, 17, 3);
             m.Rec(0).Scan = 0x30;
         },
         false},
        {"undefined record does not count",
         [](ChannelMemory& m) {
             DefineRange(m, 2, 17, 3);
             m.Rec(18).Scan = 0x30;
         },
         false},
        {"shadow does not count",
         [](ChannelMemory& m) {
             DefineRange(m, 2, 17, 3);
             Define(m, 20, 3).Shad = 1;
             m.Rec(20).Prim = 2;
         },
         false},
        {"shadow of itself", [](ChannelMemory& m) { Define(m, 20, 3).Shad = 1; }, true},
        {"undefined shadow of itself", [](ChannelMemory& m) { m.Rec(20).Shad = 3; }, true},
        {"mode beyond the table", [](ChannelMemory& m) { m.Rec(5).Mode = 7; }, true},
        {"negative mode", [](ChannelMemory& m) { m.Rec(5).Mode = -1; }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = CleanMemory();
        row.apply(memory);
        test::ScriptedOperator op;
        CheckDatabase(memory, op);
        EXPECT_EQ(op.shown,
                  row.invalid ? std::vector<Message>{kInvalidData} : std::vector<Message>{});
    }
}

TEST(CheckDatabaseTest, CountsShadowsWhetherDefinedOrNot) {
    ChannelMemory memory = CleanMemory();
    memory.Rec(0).Shad = 1;
    memory.Rec(0).Prim = 3;
    Define(memory, 20, 1).Shad = 2;
    memory.Rec(20).Prim = 3;
    memory.Rec(21).Shad = 7;
    memory.Rec(21).Prim = 3;
    memory.Rec(22).Shad = kShadScanMember | kShadPrimary;  // a primary, not a shadow
    memory.Rec(233).Shad = 1;                              // the spare is not looked at
    test::ScriptedOperator op;
    EXPECT_EQ(CheckDatabase(memory, op), 3);
    EXPECT_TRUE(op.shown.empty());
    EXPECT_EQ(memory.Current, 233);
}

TEST(CheckDatabaseTest, WidebandInTheMarineBandIsNotReported) {
    ChannelMemory memory = CleanMemory();
    Wideband(memory, 5, "158.0000").RFrq = "150.0000";
    test::ScriptedOperator op;
    CheckDatabase(memory, op);
    EXPECT_TRUE(op.shown.empty());
    EXPECT_EQ(memory.Rec(5).Mode, kModeWide);
}

TEST(CheckDatabaseTest, OkMovesEveryWidebandRecordWithoutTheException) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& marine = Wideband(memory, 5, "158.0000");
    marine.RSql = marine.TSql = kSqlCtcss;
    marine.RCTCSS = 7;
    const ChannelRecord before = marine;
    Wideband(memory, 6, "150.0000");
    test::ScriptedOperator op;
    op.answers = {Answer::Ok};

    CheckDatabase(memory, op);

    EXPECT_EQ(op.shown, std::vector<Message>{ModesQuestion("    Analog Wideband\n")});
    ChannelRecord expected = before;
    expected.Mode = kModeNarrow;
    EXPECT_EQ(memory.Rec(5), expected);
    EXPECT_EQ(memory.Rec(6).Mode, kModeNarrow);
    EXPECT_EQ(memory.Rec(kFirstChannel).Mode, kModeDigital);
}

TEST(CheckDatabaseTest, CancelLeavesModesAlone) {
    ChannelMemory memory = CleanMemory();
    Wideband(memory, 6, "150.0000");
    const ChannelMemory before = memory;
    test::ScriptedOperator op;
    op.answers = {Answer::Cancel};
    CheckDatabase(memory, op);
    EXPECT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(memory.Records, before.Records);
}

TEST(CheckDatabaseTest, DigitalOnlyMovesNarrowRecordsIncludingTheTemplate) {
    ChannelMemory memory = CleanMemory();
    memory.EnabledModes = kEnableDigital;
    test::ScriptedOperator op;
    op.answers = {Answer::Ok};
    CheckDatabase(memory, op);
    EXPECT_EQ(op.shown, std::vector<Message>{ModesQuestion("    Analog Narrowband\n")});
    for (int index = 0; index <= kLastRecord; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(memory.Rec(index).Mode, kModeDigital);
    }
}

TEST(CheckDatabaseTest, NoEnabledModeListsAllAndOkChangesNothing) {
    ChannelMemory memory = CleanMemory();
    memory.EnabledModes = 0;
    Wideband(memory, 6, "150.0000");
    const ChannelMemory before = memory;
    test::ScriptedOperator op;
    op.answers = {Answer::Ok};
    CheckDatabase(memory, op);
    EXPECT_EQ(op.shown, std::vector<Message>{ModesQuestion(
                            "    Analog Wideband\n    Analog Narrowband\n    P25 Conventional\n")});
    EXPECT_EQ(memory.Records, before.Records);
}

TEST(CheckDatabaseTest, ModeOutsideTheTableIsInvalidAndMovedByTheRepair) {
    ChannelMemory memory = CleanMemory();
    memory.Rec(5).Mode = 7;
    memory.Rec(7).Mode = -1;
    Wideband(memory, 6, "150.0000");
    test::ScriptedOperator op;
    op.answers = {Answer::Ok};
    CheckDatabase(memory, op);
    EXPECT_EQ(op.shown,
              (std::vector<Message>{kInvalidData, ModesQuestion("    Analog Wideband\n")}));
    EXPECT_EQ(memory.Rec(5).Mode, kModeNarrow);
    EXPECT_EQ(memory.Rec(6).Mode, kModeNarrow);
    EXPECT_EQ(memory.Rec(7).Mode, kModeNarrow);
}

TEST(CheckDatabaseTest, ArbitraryFieldValuesNeverCrash) {
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::int16_t>(seed >> 12);
    };
    for (std::uint8_t enabled : {0x00, 0x30, 0x70, 0xFF}) {
        SCOPED_TRACE(static_cast<int>(enabled));
        ChannelMemory memory = CleanMemory();
        memory.EnabledModes = enabled;
        for (ChannelRecord& r : memory.Records) {
            for (std::int16_t* field : {&r.Select, &r.Shad, &r.Prim, &r.Chnl, &r.EFlags, &r.RSql,
                                        &r.TSql, &r.RDCS, &r.TDCS, &r.RFRec}) {
                *field = next();
            }
            for (char& c : r.RFrq.Bytes())
                c = static_cast<char>(next());
            for (char& c : r.RNAC.Bytes())
                c = static_cast<char>(next());
            for (std::int16_t& v : r.ShadList)
                v = next();
        }
        const std::int16_t extremes[] = {-32768, -1, 0x7FFF, 7, 3, -5, 500};
        for (int index = 0; index < kRecordSlots; ++index) {
            ChannelRecord& r = memory.Rec(index);
            r.Mode = extremes[index % 7];
            r.Scan = extremes[(index + 1) % 7];
            r.RCTCSS = r.TCTCSS = extremes[(index + 2) % 7];
        }
        test::ScriptedOperator op;
        op.answers = {Answer::Ok};
        const std::int16_t shadows = CheckDatabase(memory, op);
        EXPECT_GE(shadows, 0);
        EXPECT_LE(shadows, kLastRecord + 1);
        ASSERT_FALSE(op.shown.empty());
        EXPECT_EQ(op.shown.front(), kInvalidData);
        EXPECT_EQ(memory.Current, 233);
    }
}

}  // namespace
}  // namespace kld
