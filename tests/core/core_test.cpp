#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "channel_editor.h"
#include "fake_operator.h"
#include "list_operations.h"
#include "memory_check.h"
#include "modes.h"
#include "program_state.h"
#include "shadows.h"
#include "tables.h"

namespace kld {
namespace {

using std::nullopt;
using namespace std::string_view_literals;
using M = ChannelMemory;
using S = std::int16_t;

// Expects fn(args...) == want for every row {args..., want}; a failure prints the row.
template <typename Want, typename... Args, typename Fn>
void ExpectRows(Fn fn, std::initializer_list<std::tuple<Args..., Want>> rows) {
    for (const auto& row : rows) {
        const auto check = [&]<std::size_t... I>(std::index_sequence<I...>) {
            EXPECT_EQ(fn(std::get<I>(row)...), std::get<sizeof...(I)>(row))
                << testing::PrintToString(row);
        };
        check(std::index_sequence_for<Args...>{});
    }
}

// The texts of the messages shown, each followed by ";" for a plain OK box (no title, no icon),
// "!" for an OK box with the exclamation icon, and "?" for anything else.
std::string Texts(const std::vector<Message>& shown) {
    std::string texts;
    for (const Message& m : shown) {
        const bool ok = m.buttons == Buttons::Ok, plain = m.title.empty() && m.icon == Icon::None;
        texts += m.text + (ok && plain ? ";" : ok && m.icon == Icon::Exclamation ? "!" : "?");
    }
    return texts;
}

// A memory as start-up leaves it: a narrowband template, cleared, narrow and digital enabled.
ChannelMemory CleanMemory() {
    ChannelMemory memory;
    ChannelRecord& t = memory.Rec(kDefaultRecord);
    t.Select = kSelDefined, t.Desc = "Desc", t.Mode = kModeNarrow, t.IDCall = {0, 0, 0, 1, 0};
    t.RFrq = t.TFrq = "141.0000", t.RSql = t.TSql = kSqlNoise;
    t.RTG = t.TTG = "0001", t.RNAC = t.TNAC = "293";
    ClearMemory(memory);
    return memory;
}

// A channel stored earlier (0xA?: made here, 0xC?: received), counted in `list`.
ChannelRecord& Define(ChannelMemory& memory, int index, S select, int list = 2) {
    ChannelRecord& r = memory.Rec(index) = memory.Rec(kDefaultRecord);
    r.Select = select, r.Scan = static_cast<S>(list * 16);
    r.Prim = r.Chnl = static_cast<S>(index);
    ++memory.ZoneCounts[static_cast<std::size_t>(list)];
    return r;
}

void Fill(ChannelMemory& memory, int first, int last, int list) {
    for (int index = first; index <= last; ++index) {
        Define(memory, index, 0xA0, list);
    }
}

EditorValues Shown(ChannelMemory& memory, int index) {
    memory.Current = static_cast<S>(index);
    return ViewCurrentChannel(memory).values;
}

// The program's own number readers are lenient; the number at the start of a text is read the
// same way for frequencies and typed numbers everywhere.
TEST(CodecsTest, ToHexToDecIsHexTextLeadingNumberAndIsSimplex) {
    using R = ChannelRecord&;
    using Change = void (*)(R);
    const auto changed = [](Change change) {
        ChannelRecord r = CleanMemory().Rec(kDefaultRecord);  // simplex, with tones 0 and 0
        change(r);
        return IsSimplex(r);
    };
    // clang-format off
    ExpectRows<const char*, const char*, int>(ToHex, {{"0", 4, "0000"}, {"", 2, "00"},
        {"300", 2, "12C"}, {"255", 1, "FF"}, {"  26", 2, "1A"}, {"2147483647", 1, "7FFFFFFF"},
        {"2.5", 1, "2"}, {"3.5", 1, "4"}, {"12abc", 0, "C"}});
    ExpectRows<const char*, const char*>(ToDec, {{"ff", "255"}, {"10", "16"}, {"", "0"},
        {"1 2", "0"}, {"G", "16"}, {"FFFFFFFF", "0"}, {"80000000", "0"},
        {"7FFFFFFF", "2147483647"}, {"00000000000000000001", "1"}});
    ExpectRows<bool, const char*, int>(IsHexText, {{"1a2", 3, true}, {"1G2", 3, false},
        {"12", 3, false}, {"29 ", 3, false}, {"1A2G", 3, true}, {"", 0, true}});
    // IsSimplex compares the six receive/transmit pairs and nothing else.
    ExpectRows<bool, Change>(changed, {
        {[](R r) { r.Mode = 2, r.Desc = "x", r.IDCall[3] = 9, r.RFRec = 4; }, true},
        {[](R r) { r.TCTCSS = 6; }, false}, {[](R r) { r.TFrq = "141.00"; }, false},
        {[](R r) { r.TNAC = "294"; }, false}, {[](R r) { r.RTG = "0002"; }, false},
        {[](R r) { r.TDCS = 9; }, false}, {[](R r) { r.TSql = '-'; }, false}});
    ExpectRows<double, const char*>(LeadingNumber, {{"", 0}, {"136.0125  ", 136.0125},
        {" \t-3.5x", -3.5}, {"+7", 7}, {"- 7", 0}, {".5", 0.5}, {"5.", 5}, {".", 0}, {"-.", 0},
        {"1.2.3", 1.2}, {"12abc", 12}, {"1e3", 1000}, {"1E+3", 1000}, {"25e-1z", 2.5},
        {"1e", 1}, {"1e+", 1}, {"1ex", 1}, {"2e 3", 2}, {"1e999", 0},
        {"000000000000000000000000000000007", 7}});
    // clang-format on
    EXPECT_TRUE(std::signbit(LeadingNumber("-0")));
}

// The wire's byte form is strict where the program's own readers are lenient; it writes the
// digits ToHex writes.
TEST(CodecsTest, HexPairsAndHexValue) {
    // clang-format off
    ExpectRows<std::optional<std::uint8_t>, std::string_view>(HexPairValue, {{"00", 0},
        {"0A", 10}, {"FF", 255}, {"ff", nullopt}, {"0G", nullopt}, {"A", nullopt},
        {"0A0", nullopt}, {" A", nullopt}, {"", nullopt}});
    ExpectRows<bool, std::string_view>(IsHexDigits, {{"", true}, {"09afAF", true},
        {"0g", false}, {"1 2", false}, {"\xB5", false}});
    ExpectRows<long long, std::string_view>(HexValue, {{"ff", 255}, {"ZZ", 595}, {"", 0},
        {"1 2", 0}, {"7FFFFFFF", 2147483647}});
    // clang-format on
    for (int value = 0; value <= 255; ++value) {
        EXPECT_EQ(HexPairValue(HexPair(static_cast<std::uint8_t>(value))), value);
        EXPECT_EQ(HexPair(static_cast<std::uint8_t>(value)), ToHex(std::to_string(value), 2));
    }
}

TEST(KeyRulesTest, HexDigitChannelAndFrequencyKeys) {
    using Beeped = std::pair<int, int>;  // the key let through and the beeps made
    const auto hexCheck = [](int key) {
        test::ScriptedOperator op;
        const int result = HexKeyRule(key, op);
        EXPECT_EQ(key, result);
        return Beeped{result, op.beeps};
    };
    const auto freqKey = [](int pos, int key) {
        test::ScriptedOperator op;
        return Beeped{FrequencyKeyRule(key, pos, op), op.beeps};
    };
    using KeyText = std::pair<int, std::string>;
    const auto keyText = [](const DigitKeyResult& r) { return KeyText{r.key, r.text}; };
    // clang-format off
    ExpectRows<Beeped, int>(hexCheck, {{'b', {'B', 0}}, {'F', {'F', 0}}, {'7', {'7', 0}},
        {kBackspace, {kBackspace, 0}}, {'G', {0, 1}}, {'g', {0, 1}}});
    ExpectRows<KeyText, int, const char*>([&](int k, const char* t) { return keyText(DigitKeyRule(k, t)); },
        {{'5', "  3 ", {'5', "3"}}, {'-', " 12 ", {0, "12"}}, {kBackspace, " 12 ", {kBackspace, " 12 "}},
         {'0', "   ", {'0', ""}}});
    ExpectRows<KeyText, int>([&](int k) { return keyText(ChannelKeyRule(k, " G ")); },
        {{'5', {'5', "G"}}, {'g', {'G', "G"}}, {'d', {'D', "G"}}, {'h', {0, "G"}}, {'C', {0, "G"}},
         {'-', {0, "G"}}, {kBackspace, {kBackspace, " G "}}});
    ExpectRows<Beeped, int, int>(freqKey, {{1, '1', {'1', 0}}, {1, '2', {0, 1}}, {2, '3', {'3', 0}},
        {2, '7', {'7', 0}}, {2, '2', {0, 1}}, {2, '8', {0, 1}}, {3, '.', {0, 1}}, {4, '.', {'.', 0}},
        {4, '5', {0, 1}}, {9, '9', {'9', 0}}, {1, kBackspace, {kBackspace, 0}}});
    // clang-format on
}

TEST(TablesTest, OddCodesLookupsBothWaysAndPositionsOutside) {
    const S late[] = {40, 34, 35, 36, 41, 37, 38, 39, 42};  // the codes of positions 33 to 41
    for (int p = 0; p < 42; ++p) {
        const int code = p < 33 ? p + 1 : late[p - 33];
        EXPECT_EQ(CtcssCode(p), code) << p;
        EXPECT_EQ(CtcssPositionOfCode(code), p) << p;
        EXPECT_EQ(CtcssPositionOfText(CtcssText(p)), p) << p;
    }
    for (int p = 0; p < 83; ++p) {
        EXPECT_EQ(DcsCode(p), p + 1) << p;
        EXPECT_EQ(DcsPositionOfCode(p + 1), p) << p;
        EXPECT_EQ(DcsPositionOfText(DcsText(p)), p) << p;
    }
    const auto texts = [](int p) {
        const auto mode = ModeCode(p);
        return std::string(CtcssText(p)) + "|" + std::string(DcsText(p)) + "|" +
               std::string(ModeText(p)) + (mode ? static_cast<char>(*mode) : '-');
    };
    // clang-format off
    ExpectRows<const char*, int>(texts, {{0, "67.0|023|Widew"}, {2, "71.9|026|DigitalD"},
        {3, "74.4|031|-"}, {33, "206.5|244|-"}, {41, "254.8|311|-"}, {82, "|754|-"},
        {-32768, "||-"}, {-1, "||-"}, {83, "||-"}, {32767, "||-"}});
    // clang-format on
    EXPECT_EQ(ModePositionOfCode('n'), 1);
    EXPECT_EQ(std::pair(ModeName(kModeDigital), ModeName(3)),
              std::pair("P25 Conventional"sv, ""sv));
    EXPECT_FALSE(CtcssCode(-32768) || CtcssCode(-1) || CtcssCode(42) || CtcssCode(32767) ||
                 DcsCode(-32768) || DcsCode(-1) || DcsCode(83) || DcsCode(32767) ||
                 CtcssPositionOfCode(0) || CtcssPositionOfCode(43) || DcsPositionOfCode(84) ||
                 ModePositionOfCode('d') || CtcssPositionOfText("254.1"));
}

TEST(ModesTest, PermissionReplacementCommandLineAndSquelchLists) {
    const auto allowed = [](std::uint8_t enabled, int mode, const char* tx, bool exception) {
        return IsModeAllowed(enabled, mode, tx,
                             exception ? WideException::Apply : WideException::Ignore);
    };
    // The template at start-up: no wideband exception; nothing enabled leaves it as it is.
    const auto adjusted = [](S mode, std::uint8_t enabled) {
        AdjustTemplateMode(mode, enabled);
        return mode;
    };
    const auto codes = [](int mode, bool shadow) {
        const SquelchLists lists = SquelchListsFor(mode, shadow);
        std::string letters;
        for (const SquelchEntry& e : lists.tx) {
            letters += static_cast<char>(e.code);
        }
        return lists.rx[0].text + lists.rx[1].text + lists.rx[2].text + letters +
               lists.tx.back().text;
    };
    // clang-format off
    ExpectRows<bool, std::uint8_t, int, const char*, bool>(allowed, {
        {0x30, kModeNarrow, "150.0000", true, true}, {0x40, kModeWide, "140.0000", true, true},
        {0x10, kModeNarrow, "160.0000", true, false}, {0x70, 7, "160.0000", true, false},
        {0x30, kModeWide, "156.0000", true, true}, {0x30, kModeWide, "162.9999", true, true},
        {0x30, kModeWide, "163.0000", true, false}, {0x30, kModeWide, "155.9999", true, false},
        {0x30, kModeWide, "160.0000", false, false}});
    ExpectRows<std::optional<S>, std::uint8_t>(FirstEnabledMode, {{0x30, kModeNarrow},
        {0x10, kModeDigital}, {0x70, kModeWide}, {0x00, nullopt}, {0x8F, nullopt}});
    ExpectRows<S, S, std::uint8_t>(adjusted, {{kModeWide, 0x30, kModeNarrow},
        {kModeNarrow, 0x40, kModeWide}, {kModeNarrow, 0x00, kModeNarrow},
        {kModeDigital, 0x30, kModeDigital}});
    ExpectRows<std::uint8_t, const char*>(EnabledModesFromCommandLine, {{"", 0x30}, {"   ", 0x30},
        {"W", 0x40}, {"x", 0x00}, {"n  d", 0x30}, {"wn", 0x00}, {" w n d ", 0x70}, {"N D", 0x30}});
    // The list of the operating-mode messages; flags that are no mode add nothing.
    ExpectRows<std::string, std::uint8_t>(ModeNameLines, {{0x00, ""}, {0x8F, ""},
        {0x30, "    Analog Narrowband\n    P25 Conventional\n"},
        {0x50, "    Analog Wideband\n    P25 Conventional\n"}});
    // The squelch lists of a mode: receive texts, transmit codes (ID Call not for shadows).
    ExpectRows<const char*, int, bool>(codes, {
        {kModeDigital, false, "Monitor       'm'NAC            'n'Talk Group  'g'gi-Tx Inhibit      '-'"},
        {kModeDigital, true, "Monitor       'm'NAC            'n'Talk Group  'g'g-Tx Inhibit      '-'"},
        {kModeWide, false, "Noise          'x'CTCSS        't'DCS            'c'xtc-Tx Inhibit     '-'"},
        {-1, false, "Noise          'x'CTCSS        't'DCS            'c'xtc-Tx Inhibit     '-'"}});
    // clang-format on
    int tag = kModeDigital;
    EXPECT_FALSE(SquelchListsOnModeChange(tag, kModeDigital,
                                          false));  // the same mode again: nothing to refill
}

// Every 1 kHz digit against every 10 kHz digit: which pairs lie on the 2.5 or 6.25 kHz raster
// and which 100 Hz / 10 Hz digits replace what was typed.
TEST(FrequencyRulesTest, RasterBandEdgesAndSimplexCopy) {
    const std::tuple<char, const char*, const char*> rows[] = {
        // clang-format off
        {'0', "0123456789", "00"}, {'1', "38", "25"}, {'2', "0123456789", "50"}, {'3', "49", "75"},
        {'4', "", ""}, {'5', "0123456789", "00"}, {'6', "05", "25"}, {'7', "0123456789", "50"},
        {'8', "16", "75"}, {'9', "", ""},
        // clang-format on
    };
    for (const auto& [oneKhz, tenKhzOnRaster, exactTail] : rows) {
        for (char ten = '0'; ten <= '9'; ++ten) {
            const std::string head = std::string("150.0") + ten + oneKhz;
            SCOPED_TRACE(head);
            test::ScriptedOperator op;
            FrequencyFields fields{head + "49", "141.0000", false};
            const bool onRaster = std::string(tenKhzOnRaster).find(ten) != std::string::npos;
            const bool cancel = LeaveRxFrequency(fields, op);  // duplex: the tx box is left alone
            EXPECT_EQ(std::tuple(cancel, fields.rx, op.beeps, fields.tx),
                      std::tuple(!onRaster, onRaster ? head + exactTail : head + "49",
                                 onRaster ? 0 : 1, "141.0000"));
        }
    }
    // The leave rule in simplex: the boxes afterwards, cancel and the messages shown.
    const auto leave = [](const char* typed) {
        test::ScriptedOperator op;
        FrequencyFields fields{typed, "", true};
        const bool cancel = LeaveRxFrequency(fields, op);
        return fields.rx + "|" + fields.tx + "|" + std::to_string(cancel) + "|" + Texts(op.shown);
    };
    // clang-format off
    ExpectRows<const char*, const char*>(leave, {{"136", "136.00000|136.00000|0|"},
        {"174", "174.00000|174.00000|0|"}, {"174.00001", "174.00001||1|Invalid Rx Frequency;"},
        {"135.99999", "135.99999||1|Invalid Rx Frequency;"}, {"abc", "abc||1|Invalid Rx Frequency;"},
        {"150.0040", "150.00400|150.00400|1|Invalid Rx Frequency;"},
        {"150.0062", "150.00625|150.00625|0|"}, {"174.000001", "174.00000|174.00000|0|"}});
    // clang-format on
}

TEST(FieldRulesTest, ChannelBoxTypedNumbersDisplayCompletionAndIdCall) {
    using Record = std::optional<int>;
    const auto leave = [](const char* text) {
        test::ScriptedOperator op;
        const Record record = ChannelLeaveRule(text, op);
        EXPECT_EQ(op.beeps, record ? 0 : 1) << text;
        return record;
    };
    test::ScriptedOperator op;
    const auto level = [&op](const char* text) { return AcceptNoiseSquelchLevel(text, op); };
    using Elements = std::array<S, 5>;
    const auto packed = [](const char* typed) {
        const std::string digits = IdCallDigits(typed);
        Elements idCall{9, 9, 9, 9, 77};  // element 4 is not ours
        PackIdCall(digits, idCall);
        EXPECT_EQ(IdCallText(idCall), digits) << typed;
        return std::pair(digits, idCall);
    };
    // clang-format off
    ExpectRows<Record, const char*>(leave, {{"GD1", 231}, {"GD2", 232}, {"DEF", 0}, {"1", 1},
        {"230", 230}, {"0", nullopt}, {"231", nullopt}, {"gd1", nullopt}, {"65537", nullopt}});
    ExpectRows<Record, const char*>(ParseTyped16, {{"", 0}, {" 42 ", 42}, {"32767", 32767},
        {"-32768", -32768}, {"32768", nullopt}, {"-32769", nullopt}, {"1e9", nullopt}, {"2.5", 2},
        {"3.5", 4}});
    ExpectRows<std::optional<std::uint8_t>, const char*>(level, {{"15", 15}, {"", 0},
        {"16", nullopt}, {"-1", nullopt}, {"65551", nullopt}});
    EXPECT_EQ(op.shown, std::vector<Message>(3, {"Value is out of range", "", Icon::None, Buttons::Ok}));
    ExpectRows<const char*, const char*>(DisplayFrequency, {{"154.0125  ", "154.01250"},
        {"154.0062  ", "154.00625"}, {"154.0187  ", "154.01875"}, {"          ", "000.00000"}});
    ExpectRows<const char*, const char*>(CompleteTalkGroup, {{"A", "000A"}, {"012345", "2345"}});
    ExpectRows<const char*, const char*>(CompleteNac, {{" 1 ", "001"}, {"", "000"}});
    ExpectRows<const char*, int>(ChannelBoxText, {{5, "005"}, {0, "DEF"}, {231, "GD1"}, {232, "GD2"}});
    ExpectRows<int, int>(NextChannel, {{0, 1}, {5, 6}, {230, 231}, {231, 232}, {232, 1}});
    // The ID call box: seven digits packed into elements 0 to 3 and unpacked again.
    ExpectRows<std::pair<std::string, Elements>, const char*>(packed, {
        {"42", {"0000042", {0, 0, 0, 0x42, 77}}}, {"", {"0000000", {0, 0, 0, 0, 77}}},
        {"1234567", {"1234567", {1, 0x23, 0x45, 0x67, 77}}}, {" 0000001 ", {"0000001", {0, 0, 0, 1, 77}}},
        {"012345678", {"1234567", {1, 0x23, 0x45, 0x67, 77}}}});
    // clang-format on
    // Whatever a file put there, the box gets seven digits.
    EXPECT_EQ(IdCallText({0x1F, 0xAB, -1, 0x100, 0}), "9999900");
}

// The header's fixed texts are pinned by the settings file's bytes; a two-digit number is
// only met here.
TEST(FileHeaderTest, VersionDigits) {
    const FileHeader h = FreshHeader({3, 12, 0});
    EXPECT_EQ(std::tuple(h.VerMajor.View(), h.VerMinor.View(), h.VerRev.View()),
              std::tuple("3 "sv, "12"sv, "0 "sv));
}

TEST(ClearMemoryTest, ExactResult) {
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
    EXPECT_EQ(memory.Rec(kDefaultRecord), t);
    EXPECT_EQ(memory.Rec(233), spare);
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

const Message kInvalidData{"Memory data contains invalid data", "Invalid Data", Icon::Exclamation,
                           Buttons::Ok};

// The invalid-data message comes once whatever the count; shadows are counted, defined or not.
TEST(CheckDatabaseTest, InvalidDataAndShadowCount) {
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
        ChannelMemory memory = CleanMemory();
        apply(memory);
        test::ScriptedOperator op;
        EXPECT_EQ(CheckMemory(memory, op), shadows);
        EXPECT_EQ(op.shown, invalid ? std::vector<Message>{kInvalidData} : std::vector<Message>{});
        EXPECT_EQ(memory.Current, 233);
    }
}

// Record 5 is wideband in the marine band, record 6 (when defined) wideband outside it and
// record 7 in a mode that is no mode. The repair has no wideband exception and changes Mode only.
TEST(CheckDatabaseTest, ModeRepairOkOrCancel) {
    const char* wide = "    Analog Wideband\n";
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
        ChannelMemory memory = CleanMemory();
        memory.EnabledModes = enabled;
        for (int index = 5; index <= (wide6 ? 6 : 5); ++index) {
            ChannelRecord& r = Define(memory, index, 0xA0);
            r.Mode = kModeWide, r.TFrq = index == 5 ? "158.0000" : "150.0000";
        }
        memory.Rec(7).Mode = 7;
        const ChannelMemory before = memory;
        test::ScriptedOperator op;
        op.answers = {answer};
        CheckMemory(memory, op);
        std::vector<Message> shown{kInvalidData};
        if (lines) {
            shown.push_back(
                {std::string("The following operating modes are used in the memory data but are "
                             "currently disabled:\n\n") +
                     lines +
                     "\nDo you wish to update memory data to use a valid mode?\n"
                     "\nPress OK to update data or CANCEL to leave data unchanged",
                 "Radio Operating Modes", Icon::Exclamation, Buttons::OkCancel});
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

TEST(CheckDatabaseTest, ArbitraryFieldValuesNeverCrash) {
    const S extremes[] = {-32768, -1, 0, 3, 7, 230, 232, 233, 0x7FFF};
    std::uint32_t seed = 12345;
    const auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 30) == 0 ? extremes[(seed >> 8) % 9] : static_cast<S>(seed >> 12);
    };
    for (std::uint8_t enabled : {0x00, 0x30, 0x70, 0xFF}) {
        ChannelMemory memory = CleanMemory();
        memory.EnabledModes = enabled;
        for (ChannelRecord& r : memory.Records) {
            for (S* f : {&r.Select, &r.Shad, &r.Prim, &r.Chnl, &r.Scan, &r.EFlags, &r.Mode, &r.RSql,
                         &r.RCTCSS, &r.RDCS, &r.TSql, &r.TCTCSS, &r.TDCS, &r.RFRec, &r.IDCall[0],
                         &r.IDCall[3], &r.ShadList[0], &r.ShadList[2], &r.ShadList[6]}) {
                *f = next();
            }
            r.RFrq.Bytes()[2] = r.TFrq.Bytes()[7] = r.RNAC.Bytes()[1] = static_cast<char>(next());
        }
        test::ScriptedOperator op;
        op.answers = {Answer::Ok};
        const S shadows = CheckMemory(memory, op);
        EXPECT_TRUE(shadows >= 0 && shadows <= kLastRecord + 1 && memory.Current == 233);
        // Showing, storing, erasing and making shadows in such a memory must not crash either.
        for (int index = 0; index <= kLastRecord + 1; ++index) {
            memory.Current = static_cast<S>(index);
            const ChannelView view = ViewCurrentChannel(memory);
            StoreChannel(memory, view.values, op, {});
            memory.Current = static_cast<S>(index);
            EraseOrUneraseCurrent(memory, op);
            CreateShadow(memory, view.primaryText, std::to_string(index));
        }
    }
}

TEST(ShadowTest, ValidateCodesInTheirOrder) {
    using List = std::array<S, 8>;
    const List full{9, 9, 9, 9, 9, 9, 9, 0}, none{}, slot7{9, 9, 9, 9, 9, 9, 0, 9};
    // Record 5 as the row makes it. Each row also meets every later condition, so a check made
    // out of order shows.
    const auto code = [](const char* typed, S select, S shad, S mode, S tsql, const List& list) {
        ChannelMemory memory = CleanMemory();
        ChannelRecord& r = Define(memory, 5, select);
        r.Shad = shad, r.Mode = mode, r.TSql = tsql, r.ShadList = list;
        return ValidatePrimary(memory, typed);
    };
    ChannelMemory memory = CleanMemory();
    Define(memory, 6, 0xC0);
    const auto shadow = [&memory](const char* typed) { return ValidateShadow(memory, typed); };
    // clang-format off
    ExpectRows<int, const char*, S, S, S, S, List>(code, {
        {"0", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},
        {"231", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},
        {"65541", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},  // would wrap to 5
        {"5", 0x00, 2, 2, 'i', full, kPrimaryUndefined},
        {"5", 0xA1, 2, 2, 'i', full, kPrimaryIsShadow},
        {"5", 0xA1, 0, 2, 'i', full, kPrimaryIdCall},
        {"5", 0xA1, 0, 1, 'i', none, kPrimaryOk},  // the ID call letter only counts in digital
        {"5", 0xA1, 0, 1, 'x', full, kPrimaryFull},
        {"5", 0xA1, 0, 1, 'x', slot7, kPrimaryOk}});  // slot 7 is no shadow slot
    ExpectRows<int, const char*>(shadow, {{"0", kShadowOutOfRange}, {"231", kShadowOutOfRange},
        {"65542", kShadowOutOfRange}, {"6", kShadowExists}, {"7", kShadowOk}});
    // clang-format on
}

TEST(ShadowTest, SlotsCopiesAndTheEighthShadow) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& primary = Define(memory, 5, 0xC1);
    primary.Shad = kShadScanMember;
    const auto counts = memory.ZoneCounts;
    test::ScriptedOperator op;
    for (int n = 0; n < kShadowSlots; ++n) {
        const std::string s = std::to_string(20 + n);
        ASSERT_EQ(JudgeShadowNumbers(memory, "005", s, op), ShadowDialogResult::Accepted);
        const CreatedShadow created = CreateShadow(memory, "005", s).value();
        ASSERT_EQ(std::pair(created.slot, created.primary), std::pair(n, 5));
        ChannelRecord expected = primary;
        expected.Select = 0xA1, expected.Shad = static_cast<S>(n + 1);  // no scan, no primary flag
        expected.Chnl = static_cast<S>(20 + n);
        EXPECT_EQ(memory.Rec(20 + n), expected);
        EXPECT_EQ(std::pair(int{memory.Current}, ProposedPrimary(memory)),
                  std::pair(20 + n, std::string("005")));  // it proposes its primary
    }
    EXPECT_EQ(std::tuple(primary.Shad, memory.ZoneCounts, memory.Saved),
              std::tuple(S{kShadScanMember | kShadPrimary}, counts, false));

    EXPECT_EQ(JudgeShadowNumbers(memory, "5", "40", op), ShadowDialogResult::PrimaryRefused);
    EXPECT_EQ(op.shown, (std::vector<Message>{{"Primary channel has max number of shadows defined",
                                               "", Icon::None, Buttons::Ok}}));
    EXPECT_FALSE(CreateShadow(memory, "5", "40"));
    EXPECT_FALSE(memory.Rec(40).IsDefined());

    // Erasing the shadow in slot 2 frees that slot, and only that one, for the next shadow.
    memory.Current = 22;
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Removed);
    EXPECT_EQ(primary.ShadList, (std::array<S, 8>{20, 21, 0, 23, 24, 25, 26, 0}));
    EXPECT_EQ(memory.ZoneCounts, counts);
    EXPECT_EQ(CreateShadow(memory, "5", "40")->slot, 2);
    EXPECT_EQ(memory.Rec(40).Shad, 3);

    Define(memory, 6, 0xA1);
    EXPECT_EQ(JudgeShadowNumbers(memory, "6", "21", op), ShadowDialogResult::ShadowRefused);
    EXPECT_EQ(op.shown.back().text, "Shadow channel already exists");
}

TEST(EraseTest, RefusesTogglesAndRemoves) {
    const Message refusal{"Contents of this Memory may\n be Altered but not Erased!", "",
                          Icon::None, Buttons::Ok};
    ChannelMemory memory = CleanMemory();
    test::ScriptedOperator op;
    for (int c : {1, 231, -4}) {
        memory.Current = static_cast<S>(c);
        EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Refused) << c;
    }
    EXPECT_EQ(memory.Records, CleanMemory().Records);
    memory.Current = 2;
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Undefined);

    // From the radio: the mark goes on and comes off again; the count stays.
    const ChannelRecord received = Define(memory, 230, 0xC1);
    const auto counts = memory.ZoneCounts;
    memory.Current = 230;
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::MarkToggled);
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::MarkToggled);
    EXPECT_EQ(memory.Rec(230), received);
    EXPECT_EQ(memory.ZoneCounts, counts);
    // The selection boxes of lines 229 to 234: the marked channel shows grey, select all and
    // clear all touch defined records only, and ticking the grey box replaces the mark.
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::MarkToggled);
    SelectAllDefined(memory);
    EXPECT_EQ(SelectionBoxStates(memory, 229), (std::array<int, 6>{0, 2, 1, 1, 0, 0}));
    ClearAllSelections(memory);
    EXPECT_EQ(SelectionBoxStates(memory, 229), (std::array<int, 6>{0, 2, 0, 0, 0, 0}));
    EXPECT_TRUE(SetSelectionFromBox(memory, 227, 3, kBoxTicked));
    EXPECT_FALSE(SetSelectionFromBox(memory, 230, 5, kBoxTicked));  // line 235 holds no channel
    EXPECT_EQ(std::pair(memory.Current, memory.Rec(230).Select), std::pair(S{230}, S{0xC1}));
    ProgramState state;
    EXPECT_EQ(TogglePurge(state), "UnPurge");
    EXPECT_EQ(TogglePurge(state), "Purge");

    // Made here: gone at once, out of its list; a second press finds nothing.
    Define(memory, 8, 0xA1);
    memory.Current = 8;
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Removed);
    EXPECT_FALSE(memory.Rec(8).IsDefined());
    EXPECT_EQ(memory.ZoneCounts, counts);
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Undefined);

    // A shadow whose Prim or slot names something else leaves every other record alone.
    Define(memory, 10, 0xA1).ShadList = {11, 0, 0, 0, 0, 0, 0, 0};
    memory.Rec(kDefaultRecord).ShadList[0] = 12;
    for (S prim : {-7, 0, 500, 10}) {
        Define(memory, 12, 0xA1).Shad = 1, memory.Rec(12).Prim = prim;
        memory.Current = 12;
        EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Removed);
        EXPECT_EQ(std::pair(memory.Rec(10).ShadList[0], memory.Rec(0).ShadList[0]),
                  std::pair(S{11}, S{12}));
    }
    EXPECT_EQ(op.shown, std::vector<Message>(3, refusal));  // the refusals only
}

// A primary made here may not leave its shadows stranded: its erase is refused while a shadow
// still names it. Primary 5 has shadow 20 in slot 0 unless the row changes that.
TEST(EraseTest, PrimaryMadeHereWithShadowsIsRefused) {
    using Apply = void (*)(M&);
    using E = EraseResult;
    const std::tuple<const char*, Apply, E, const char*> rows[] = {
        // clang-format off
        {"two shadows", [](M& m) { Define(m, 12, 0xA1).Shad = 2, m.Rec(12).Prim = 5, m.Rec(5).ShadList[1] = 12; },
         E::HasShadows, "channels 012, 020"},
        {"one in two slots, no 0x10", [](M& m) { m.Rec(5).ShadList[6] = 20, m.Rec(5).Shad = 0; },
         E::HasShadows, "channel 020"},
        {"from the radio", [](M& m) { m.Rec(5).Select = 0xC1; }, E::MarkToggled, ""},
        {"slot 7 is no shadow slot", [](M& m) { m.Rec(5).ShadList = {0, 0, 0, 0, 0, 0, 0, 20}; }, E::Removed, ""},
        {"undefined", [](M& m) { m.Rec(20).Select = 0; }, E::Removed, ""},
        {"another primary's", [](M& m) { m.Rec(20).Prim = 6; }, E::Removed, ""},
        {"no shadow", [](M& m) { m.Rec(20).Shad = kShadScanMember; }, E::Removed, ""},
        {"no channel", [](M& m) { m.Rec(5).ShadList = {-3, 500, 233, 0, 0, 0, 0, 0}, m.Rec(0).Shad = 1,
                                  m.Rec(0).Prim = 5; }, E::Removed, ""},
        {"itself", [](M& m) { m.Rec(5).ShadList[0] = 5, m.Rec(5).Shad = kShadPrimary | 1; }, E::Removed, ""},
        // clang-format on
    };
    for (const auto& [name, apply, result, named] : rows) {
        SCOPED_TRACE(name);
        M memory = CleanMemory();
        Define(memory, 5, 0xA1).Shad = kShadPrimary, memory.Rec(5).ShadList[0] = 20;
        Define(memory, 20, 0xA1).Shad = 1, memory.Rec(20).Prim = 5;
        apply(memory);
        const M before = memory;
        test::ScriptedOperator op;
        memory.Current = 5;
        EXPECT_EQ(EraseOrUneraseCurrent(memory, op), result);
        if (result == E::HasShadows) {
            EXPECT_EQ(
                op.shown,
                (std::vector<Message>{{"This channel is the primary of shadow " +
                                           std::string(named) + ".\n\nErase its shadows first.",
                                       "Un/Erase Current", Icon::Exclamation, Buttons::Ok}}));
            EXPECT_EQ(memory.Records, before.Records);
        }
    }
}

// Each receive-side handler copies its own value to the transmit side while Sx is chosen, and
// nothing else; in duplex none of them changes anything.
TEST(EditorTest, TransmitSideFollowsTheReceiveSideInSimplexOnly) {
    using V = EditorValues&;
    const auto tx = [](const EditorValues& v) {
        return v.txFreq + "|" + static_cast<char>(v.txSquelch.value_or('_')) + "|" +
               std::to_string(v.txCtcss) + "|" + std::to_string(v.txDcs) + "|" + v.txTalkGroup +
               "|" + v.txNac;
    };
    const std::tuple<void (*)(V), const char*> rows[] = {
        // clang-format off
        {[](V v) { v.rxFreq = "150.01", FollowRxFrequency(v); }, "150.01|c|3|4|00B0|0B0"},
        {[](V v) { v.rxTalkGroup = "1A", FollowRxTalkGroup(v); }, "143.0000|c|3|4|1A|0B0"},
        {[](V v) { v.rxNac = "", FollowRxNac(v); }, "143.0000|c|3|4|00B0|"},
        {[](V v) { v.rxCtcss = 41, FollowRxTone(v); }, "143.0000|c|41|4|00B0|0B0"},
        {[](V v) { v.rxDcs = 82, FollowRxCode(v); }, "143.0000|c|3|82|00B0|0B0"},
        {[](V v) { v.rxSquelch = kSqlCtcss, FollowRxSquelch(v, false); }, "143.0000|t|3|4|00B0|0B0"},
        {[](V v) { v.mode = kModeDigital, v.rxSquelch = kSqlNac, FollowRxSquelch(v, true); }, "143.0000|g|3|4|00B0|0B0"},
        // clang-format on
    };
    for (const auto& [handle, simplexTx] : rows) {
        SCOPED_TRACE(simplexTx);
        EditorValues v;
        v.simplex = false, v.txFreq = "143.0000", v.txSquelch = kSqlDcs, v.txCtcss = 3;
        v.txDcs = 4, v.txTalkGroup = "00B0", v.txNac = "0B0";
        EditorValues duplex = v;
        handle(duplex);
        EXPECT_EQ(tx(duplex), tx(v));
        v.simplex = true;
        handle(v);
        EXPECT_EQ(tx(v), simplexTx);
    }
    // clang-format off
    ExpectRows<EditableBoxes, bool, bool>(Editable, {{true, false, {true, false, false, false}},
        {false, false, {true, true, true, true}}, {false, true, {false, false, false, true}}});
    // clang-format on
}

// The mode list refills and picks the first entries only across Digital, and keeps its Tag; the
// channel box moves Current only on an entry its leave rule accepts.
TEST(EditorTest, ModeListAndChannelBoxEntry) {
    const auto changed = [](int tag, int mode, bool shadow) {
        EditorValues v;
        v.mode = mode, v.rxSquelch = kSqlCtcss, v.txSquelch = kSqlDcs;
        const std::optional<SquelchLists> lists = ModeChanged(v, tag, shadow);
        return std::to_string(tag) + (lists ? std::to_string(lists->tx.size()) : "-") +
               static_cast<char>(*v.rxSquelch) + static_cast<char>(*v.txSquelch);
    };
    // clang-format off
    ExpectRows<std::string, int, int, bool>(changed, {{kModeNarrow, kModeDigital, false, "23mg"},
        {kModeNarrow, kModeDigital, true, "22mg"}, {kModeDigital, kModeWide, false, "04xx"},
        {kModeWide, kModeNarrow, false, "1-tc"}, {-1, kModeWide, false, "0-tc"}});
    // clang-format on
    ChannelMemory memory;
    test::ScriptedOperator op;
    EXPECT_EQ(EnterChannel(memory, "GD1", op), 231);
    EXPECT_FALSE(EnterChannel(memory, "0", op));
    EXPECT_EQ(std::pair(int{memory.Current}, op.beeps), std::pair(231, 1));
}

TEST(StoreTest, ListCountsStatusFlagsAndNextChannel) {
    // Record, its list before (-1: as the reset left it) and Select, shadow or not, list chosen,
    // lists whose count goes down and up (-1: none), Select and Scan after, the next channel.
    using Row = std::tuple<int, int, S, bool, std::optional<int>, int, int, S, S, int>;
    const std::pair<const char*, Row> rows[] = {
        // clang-format off
        {"first store of an undefined channel", {5, -1, 0, false, 0, -1, 0, 0xA1, 0x00, 6}},
        {"re-store in the same list", {5, 2, 0xA0, false, 2, -1, -1, 0xA1, 0x20, 6}},
        {"received channel moved from list 2 to 3", {7, 2, 0xC0, false, 3, 2, 3, 0xC5, 0x30, 8}},
        {"received channel kept in its list", {7, 2, 0xC0, false, 2, -1, -1, 0xC1, 0x20, 8}},
        {"channel made here moved, no 0x04", {7, 2, 0xA0, false, 3, 2, 3, 0xA1, 0x30, 8}},
        {"template is in no list", {0, -1, 0, false, 4, -1, -1, 0x81, 0x40, 1}},
        {"guard keeps list and counts", {232, -1, 0, false, nullopt, -1, -1, 0x81, 0xF1, 1}},
        {"channel 230 moves on to guard 1", {230, -1, 0, false, 1, -1, 1, 0xA1, 0x10, 231}},
        {"shadow keeps list and counts", {9, 6, 0xA1, true, nullopt, -1, -1, 0xA1, 0x60, 10}},
        // clang-format on
    };
    for (const auto& [name, row] : rows) {
        SCOPED_TRACE(name);
        const auto& [index, priorList, priorSelect, shadow, list, lost, gained, select, scan,
                     next] = row;
        ChannelMemory memory = CleanMemory();
        if (priorList >= 0) {
            Define(memory, index, priorSelect, priorList).Shad = shadow ? 3 : 0;
            memory.ZoneCounts[static_cast<std::size_t>(priorList)] -= shadow;
        }
        EditorValues values = Shown(memory, index);
        values.list = list;
        auto counts = memory.ZoneCounts;
        test::ScriptedOperator op;
        int calls = 0;
        const StoreOutcome outcome =
            StoreChannel(memory, values, op, [&] { return ++calls, true; });
        ASSERT_TRUE(outcome.stored && op.shown.empty());
        EXPECT_EQ(calls, index == 0 ? 1 : 0);  // only the template goes to the settings file
        const ChannelRecord& r = memory.Rec(index);
        EXPECT_EQ(std::tuple(r.Select, r.Scan, r.Prim, r.Chnl),
                  std::tuple(select, scan, index, index));
        counts[static_cast<std::size_t>(std::max(lost, 0))] -= lost >= 0;
        counts[static_cast<std::size_t>(std::max(gained, 0))] += gained >= 0;
        EXPECT_EQ(memory.ZoneCounts, counts);
        EXPECT_EQ(std::tuple(outcome.next, int{memory.Current}, memory.Saved),
                  std::tuple(next, next, false));
    }
}

TEST(StoreTest, StoresTheFieldsAndShadowsFollowTheirPrimary) {
    ChannelMemory memory = CleanMemory();
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
    const ChannelRecord untouched = memory.Rec(22);
    const ChannelRecord othersShadow = memory.Rec(23);
    EditorValues v = Shown(memory, 5);
    EXPECT_EQ(std::pair(v.list, ZoneChoices(memory, 5).back()),  // its own full list; never 15
              std::pair(std::optional<int>(0), ZoneChoice{14, "List  15"}));
    v.desc = "  0123456789", v.scan = true, v.idCall = "42";
    v.simplex = false, v.rxFreq = "150.0063", v.txFreq = "155.01249";  // the leave rules rewrite
    v.rxTalkGroup = "1A", v.rxNac = "A3";                              // completed by the store
    v.rxCtcss = -1, v.rxDcs = 82, v.txCtcss = 41, v.txDcs = 83;        // -1 and 83: no position
    EditorValues sx = v;  // Sx chosen: the transmit side takes the receive side's values
    ChooseSimplex(sx, false);
    EXPECT_TRUE(sx.simplex);
    EXPECT_EQ(std::tuple(sx.txFreq, sx.txSquelch, sx.txCtcss, sx.txDcs, sx.txTalkGroup, sx.txNac),
              std::tuple(v.rxFreq, v.rxSquelch, v.rxCtcss, v.rxDcs, v.rxTalkGroup, v.rxNac));
    sx.mode = kModeDigital, sx.rxSquelch = kSqlNac;
    ChooseSimplex(sx, false);
    EXPECT_EQ(sx.txSquelch, kSqlTalkGroup);  // digital: always the first transmit entry
    test::ScriptedOperator op;
    const StoreOutcome outcome = StoreChannel(memory, v, op, {});
    ASSERT_TRUE(outcome.stored);
    EXPECT_EQ(r.Desc.Str() + r.RFrq.Str() + r.TFrq.Str() + r.RTG.Str() + r.RNAC.Str(),
              "01234567150.0062  155.0125  001A  0A3   ");
    EXPECT_EQ(std::tuple(r.Shad, r.RCTCSS, r.RDCS, r.TCTCSS, r.TDCS),
              std::tuple(kShadPrimary | kShadScanMember, 300, 82, 41, -9));
    EXPECT_EQ(std::pair(outcome.idCall, r.IDCall[3]), std::pair(std::string("0000042"), S{0x42}));
    for (int s : {20, 21}) {
        EXPECT_EQ(memory.Rec(s).RFrq.Str() + memory.Rec(s).TFrq.Str(), "150.0062  155.0125  ");
    }
    EXPECT_EQ(std::pair(memory.Rec(22), memory.Rec(23)), std::pair(untouched, othersShadow));
    EXPECT_EQ(outcome.changedRecords, (std::vector<int>{5, 20, 21}));
    const EditorValues again = Shown(memory, 5);  // reads back what was stored
    EXPECT_EQ(again.rxFreq + again.txFreq + again.idCall + (again.scan ? " scan" : ""),
              "150.00625155.012500000042 scan");
    const EditorValues undefined = Shown(memory, 6);  // a template copy, and the list is full
    EXPECT_EQ(std::pair(undefined.desc, undefined.list),
              std::pair(std::string("Chan 6"), std::optional<int>()));
    ChannelRecord& nac = Define(memory, 7, 0xA1, 1);  // simplex digital, NAC on both sides
    nac.Mode = kModeDigital, nac.RSql = nac.TSql = kSqlNac;
    EXPECT_EQ(Shown(memory, 7).txSquelch, kSqlTalkGroup) << "showing runs the simplex choice";
}

// Record 5, received in list 2, stored again in duplex (transmitting on 150 MHz, CTCSS/DCS
// squelch) unless the row changes that; list 3 is full. A refused store changes nothing.
TEST(StoreTest, ModeCheckAndRefusals) {
    const auto missing = [](const char* fields) {
        return std::string("The channel was not stored: nothing is chosen in\n\n") + fields +
               "\nMake a choice there, then store the channel again.!refused";
    };
    const std::string noList = missing("    List\n");
    const std::string moved =
        "Selected Operating Mode is currently disabled in the radio\n\nMode will be changed to a "
        "valid choice!";
    using V = EditorValues&;
    const std::tuple<std::uint8_t, void (*)(V), std::string> rows[] = {
        // clang-format off
        {0x30, [](V v) { v.mode = kModeWide, v.txFreq = "157.0000"; }, "stored 0tc"},  // marine band
        {0x30, [](V v) { v.mode = kModeWide; }, moved + "stored 1tc selected"},
        {0x10, [](V v) { v.mode = kModeWide, v.rxSquelch.reset(); }, moved + "stored 2mg selected lists"},
        {0x40, [](V v) { v.mode = kModeDigital, v.rxSquelch.reset(), v.txSquelch = 'i'; },
         moved + "stored 0xx selected lists"},
        {0x00, [](V) {}, moved + "stored 1tc"},  // nothing to replace it with
        {0x30, [](V v) { v.rxFreq = "180", v.txFreq = "100"; },
         "Invalid Rx Frequency;Rx Frequency not valid;Invalid Tx Frequency;Tx Frequency not valid;refused"},
        {0x30, [](V v) { v.list.reset(); }, noList},
        {0x10, [](V v) { v.mode = kModeWide, v.list.reset(); }, noList},  // nothing replaced
        {0x30, [](V v) { v.list = 3; }, noList},  // full
        {0x30, [](V v) { v.list = 15; }, noList},  // never offered
        {0x30, [](V v) { v.rxSquelch.reset(), v.txSquelch = kSqlMonitor; },
         missing("    Rx Squelch Mode\n    Tx Squelch Mode\n")},
        // No mode chosen is refused whatever is enabled, never replaced, never "disabled".
        {0x00, [](V v) { v.mode = -1; }, missing("    Operating Mode\n")},
        {0x30, [](V v) { v.mode = -1; }, missing("    Operating Mode\n")},
        {0x70, [](V v) { v.mode = 3, v.list.reset(); }, missing("    List\n    Operating Mode\n")},
        {0x10, [](V v) { v.mode = -7, v.rxSquelch.reset(); },
         missing("    Operating Mode\n    Rx Squelch Mode\n")},
        // clang-format on
    };
    for (const auto& [enabled, edit, summary] : rows) {
        SCOPED_TRACE(summary);
        ChannelMemory memory = CleanMemory();
        memory.ZoneCounts[3] = kMaxChannelsPerZone;
        Define(memory, 5, 0xC0);
        memory.EnabledModes = enabled;
        EditorValues values = Shown(memory, 5);
        values.simplex = false, values.txFreq = "150.0000";
        values.rxSquelch = kSqlCtcss, values.txSquelch = kSqlDcs;
        edit(values);
        const ChannelMemory before = memory;
        test::ScriptedOperator op;
        const StoreOutcome out = StoreChannel(memory, values, op, {});
        const ChannelRecord& r = memory.Rec(5);
        const std::string mode = std::to_string(r.Mode) + char(r.RSql) + char(r.TSql);
        EXPECT_EQ(Texts(op.shown) + (out.stored ? "stored " + mode : "refused") +
                      (out.modeSelected ? " selected" : "") + (out.squelchLists ? " lists" : ""),
                  summary);
        EXPECT_TRUE(out.stored || (memory.Records == before.Records && memory.Current == 5 &&
                                   memory.ZoneCounts == before.ZoneCounts && memory.Saved));
    }
    ChannelMemory memory = CleanMemory();
    const EditorValues values = Shown(memory, 0);
    memory.Current = 233;  // names no record: nothing to store into
    test::ScriptedOperator op;
    EXPECT_FALSE(StoreChannel(memory, values, op, {}).stored);
    EXPECT_EQ(memory.Records, CleanMemory().Records);
}

TEST(StoreTest, DefaultRecordRewritesTheSettingsFileAndSurvivesAFailure) {
    const Message notWritten{
        "The default channel is stored, but KLD540.ini could not be written.\n\nCheck that the "
        "program's folder can be written to, then store the default channel again to keep it for "
        "the next start.",
        "Settings File", Icon::Exclamation, Buttons::Ok};
    for (bool writes : {true, false}) {
        ChannelMemory memory = CleanMemory();
        EditorValues values = Shown(memory, 0);
        values.rxFreq = "150.0125", values.txFreq = "garbage";  // simplex: tx follows rx
        int calls = 0;
        test::ScriptedOperator op;
        const StoreOutcome outcome =
            StoreChannel(memory, values, op, [&] { return ++calls, writes; });
        EXPECT_EQ(std::tuple(outcome.stored, calls, outcome.defaultsWritten),
                  std::tuple(true, 1, writes));
        EXPECT_EQ(memory.Rec(0).TFrq.Str(), "150.0125  ");
        EXPECT_EQ(op.shown, writes ? std::vector<Message>{} : std::vector<Message>{notWritten});
    }
}

}  // namespace
}  // namespace kld
