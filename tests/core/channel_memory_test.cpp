#include "channel_memory.h"

#include "core_support.h"
#include "memory_check.h"

namespace kld::test {
namespace {

TEST(ChannelMemory, ClearMemoryCopiesTheTemplateAndMakesMainAndTheGuards) {
    ChannelMemory memory;
    // A template with a value in every field, so that anything copied or left alone shows.
    // clang-format off
    const ChannelRecord t{.Select = 0x81, .Shad = 8, .Prim = 7, .Chnl = 8, .Scan = 0x35,
        .Desc = "Tmpl"sv, .EFlags = 5, .Mode = kModeWide, .RSql = 'c', .RTG = "00AB"sv, .RCTCSS = 3,
        .RDCS = 4, .RNAC = "1F1"sv, .RFrq = "141.0000"sv, .TSql = 'c', .TTG = "00CD"sv, .TCTCSS = 5,
        .TDCS = 6, .TNAC = "2F2"sv, .TFrq = "142.0000"sv, .IDCall = {1, 0x23, 0x45, 0x67, 9},
        .ShadList = {11, 12, 13, 14, 15, 16, 17, 18}, .RFRec = 3};
    // clang-format on
    memory.Rec(kDefaultRecord) = t;
    const ChannelRecord spare = memory.Rec(233);
    memory.ZoneCounts.fill(9), memory.Current = 77;
    ClearMemory(memory);

    EXPECT_EQ(std::pair(memory.Current, memory.ZoneCounts),
              std::pair(S{1}, std::array<S, 16>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(std::pair(memory.Rec(kDefaultRecord), memory.Rec(233)), std::pair(t, spare));
    ChannelRecord ordinary = t;
    ordinary.Select = 0, ordinary.RFRec = 10;
    for (int index = 2; index <= kLastOrdinaryChannel; ++index) {
        EXPECT_EQ(memory.Rec(index), ordinary) << index;
    }
    // Main and the guards keep nothing of the template but IDCall[4] and ShadList[7] (their own
    // values are pinned by the reset memory's saved bytes and its dump).
    ChannelMemory blank;
    ClearMemory(blank);
    for (int i : {1, 231, 232}) {
        ChannelRecord r = blank.Rec(i);
        r.IDCall[4] = 9, r.ShadList[7] = 18;
        EXPECT_EQ(memory.Rec(i), r) << i;
    }
}

const Message kInvalidData{"Memory data contains invalid data", "Invalid Data", Icon::Exclamation};

void Fill(M& memory, int first, int last, int list) {
    for (int index = first; index <= last; ++index) {
        Define(memory, index, 0xA0, list);
    }
}

// The invalid-data message comes once whatever the count; shadows are counted, defined or not.
TEST(MemoryCheck, InvalidDataAndShadowCount) {
    using Apply = void (*)(M&);
    const std::tuple<const char*, Apply, int, bool> rows[] = {
        // clang-format off
        {"clean", [](M&) {}, 0, false},
        {"RFrq low", [](M& m) { m.Rec(5).RFrq = "100.0000"; }, 0, true},
        {"TFrq just high", [](M& m) { m.Rec(5).TFrq = "174.0001"; }, 0, true},
        {"two faults", [](M& m) { m.Rec(5).RFrq = "100.0000", m.Rec(6).TTG = "001G"; }, 0, true},
        {"no RFrq, undefined", [](M& m) { m.Rec(100).RFrq = ""; }, 0, true},
        {"template checked", [](M& m) { m.Rec(0).TFrq = "135.0000"; }, 0, true},
        {"RNAC", [](M& m) { m.Rec(5).RNAC = "29"; }, 0, true},
        {"TNAC", [](M& m) { m.Rec(5).TNAC = "0G3"; }, 0, true},
        {"RTG", [](M& m) { m.Rec(5).RTG = "12 4"; }, 0, true},
        {"TTG", [](M& m) { m.Rec(5).TTG = "001G"; }, 0, true},
        {"limits, lower-case hex", [](M& m) { m.Rec(5).RFrq = "136", m.Rec(5).TFrq = "174",
                                              m.Rec(5).TNAC = "0a3", m.Rec(5).RTG = "001a"; }, 0, false},
        {"16 in a list", [](M& m) { Fill(m, 2, 17, 3); }, 0, false},
        {"17 in a list", [](M& m) { Fill(m, 2, 18, 3); }, 0, true},
        {"Main and 16 more", [](M& m) { Fill(m, 2, 17, 0); }, 0, true},
        {"guards and 15 more", [](M& m) { Fill(m, 2, 16, 15); }, 0, true},
        {"template not counted", [](M& m) { Fill(m, 2, 17, 3), m.Rec(0).Scan = 0x30; }, 0, false},
        {"undefined not counted", [](M& m) { Fill(m, 2, 17, 3), m.Rec(18).Scan = 0x30; }, 0, false},
        {"shadow not counted", [](M& m) { Fill(m, 2, 18, 3), m.Rec(18).Shad = 1, m.Rec(18).Prim = 2; }, 1, false},
        {"shadow of itself", [](M& m) { Define(m, 20, 0xA0, 3).Shad = 1; }, 1, true},
        {"mode beyond the table", [](M& m) { m.Rec(5).Mode = 7; }, 0, true},
        {"shadows, defined or not; 233 is not looked at", [](M& m) {
            for (int i : {0, 20, 21, 233}) m.Rec(i).Shad = static_cast<S>(i % 7 + 1), m.Rec(i).Prim = 3;
            m.Rec(20).Select = kSelDefined, m.Rec(22).Shad = kShadScanMember | kShadPrimary; }, 3, false},
        // clang-format on
    };
    for (const auto& [name, apply, shadows, invalid] : rows) {
        SCOPED_TRACE(name);
        M memory = CleanMemory();
        apply(memory);
        ScriptedOperator op;
        EXPECT_EQ(std::pair(CheckMemory(memory, op), memory.Current),
                  std::pair(S(shadows), S{233}));
        EXPECT_EQ(op.shown, invalid ? std::vector<Message>{kInvalidData} : std::vector<Message>{});
    }
}

// Record 5 is wideband in the marine band, record 6 (when defined) wideband outside it and
// record 7 in a mode that is no mode. The repair has no wideband exception and changes Mode only.
TEST(MemoryCheck, ModeRepairOkOrCancel) {
    const char* wide = "    Analog Wideband\n";
    const std::string ask =
        "The following operating modes are used in the memory data but are currently disabled:\n\n";
    const std::string update =
        "\nDo you wish to update memory data to use a valid mode?\n"
        "\nPress OK to update data or CANCEL to leave data unchanged";
    // clang-format off
    const std::tuple<std::uint8_t, bool, Answer, const char*, const char*> rows[] = {
        {0x30, true, Answer::Ok, wide, "0:1 1:2 5:1 6:1 7:1 231:1 233:0 "},
        {0x30, true, Answer::Cancel, wide, "0:1 1:2 5:0 6:0 7:7 231:1 233:0 "},
        {0x30, false, Answer::Ok, nullptr, "0:1 1:2 5:0 6:1 7:7 231:1 233:0 "},
        {0x10, true, Answer::Ok, "    Analog Wideband\n    Analog Narrowband\n", "0:2 1:2 5:2 6:2 7:2 231:2 233:0 "},
        {0x00, true, Answer::Ok, "    Analog Wideband\n    Analog Narrowband\n    P25 Conventional\n",
         "0:1 1:2 5:0 6:0 7:7 231:1 233:0 "},
    };
    // clang-format on
    for (const auto& [enabled, wide6, answer, lines, modes] : rows) {
        SCOPED_TRACE(modes);
        M memory = CleanMemory();
        memory.EnabledModes = enabled;
        for (int index = 5; index <= (wide6 ? 6 : 5); ++index) {
            ChannelRecord& r = Define(memory, index, 0xA0);
            r.Mode = kModeWide, r.TFrq = index == 5 ? "158.0000" : "150.0000";
        }
        memory.Rec(7).Mode = 7;
        const M before = memory;
        ScriptedOperator op;
        op.answers = {answer};
        CheckMemory(memory, op);
        std::vector<Message> shown{kInvalidData};
        if (lines) {
            shown.push_back({ask + lines + update, "Radio Operating Modes", Icon::Exclamation,
                             Buttons::OkCancel});
        }
        EXPECT_EQ(op.shown, shown);
        std::string after;
        for (int index : {0, 1, 5, 6, 7, 231, 233}) {
            after += std::to_string(index) + ":" + std::to_string(memory.Rec(index).Mode) + " ";
        }
        EXPECT_EQ(after, modes);
        for (int index = 0; index < kRecordSlots; ++index) {
            ChannelRecord r = before.Rec(index);
            r.Mode = memory.Rec(index).Mode;
            EXPECT_EQ(memory.Rec(index), r) << index;
        }
    }
}

}  // namespace
}  // namespace kld::test
