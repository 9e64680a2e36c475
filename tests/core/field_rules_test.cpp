#include <gtest/gtest.h>

#include <string>

#include "fake_operator.h"
#include "field_rules.h"
#include "squelch_modes.h"

namespace kld {
namespace {

// Every 1 kHz digit against every 10 kHz digit: which pairs lie on the 2.5 or 6.25 kHz raster
// and which 100 Hz / 10 Hz digits replace what was typed.
TEST(FrequencyLeaveRuleTest, RasterTableOfEveryKilohertzDigit) {
    struct Row {
        char oneKhz;
        const char* tenKhzOnRaster;
        const char* exactTail;
    } rows[] = {
        // clang-format off
        {'0', "0123456789", "00"}, {'1', "38", "25"}, {'2', "0123456789", "50"}, {'3', "49", "75"},
        {'4', "", ""}, {'5', "0123456789", "00"}, {'6', "05", "25"}, {'7', "0123456789", "50"},
        {'8', "16", "75"}, {'9', "", ""},
        // clang-format on
    };
    for (const Row& row : rows) {
        for (char ten = '0'; ten <= '9'; ++ten) {
            const std::string head = std::string("150.0") + ten + row.oneKhz;
            SCOPED_TRACE(head);
            test::ScriptedOperator op;
            FrequencyFields fields{head + "49", "141.0000", false};
            const bool onRaster = std::string(row.tenKhzOnRaster).find(ten) != std::string::npos;
            EXPECT_EQ(RFrq_Validate(fields, op), !onRaster);
            EXPECT_EQ(fields.rx, onRaster ? head + row.exactTail : head + "49");
            EXPECT_EQ(op.beeps, onRaster ? 0 : 1);
            EXPECT_EQ(fields.tx, "141.0000");  // duplex: the transmit box is left alone
        }
    }
}

TEST(FrequencyLeaveRuleTest, BandEdgesAndCompletion) {
    const Message invalidRx{"Invalid Rx Frequency", "", Icon::None, Buttons::Ok};
    struct Row {
        const char* typed;
        bool inRange;
        bool cancel;
        const char* after;
    } rows[] = {
        // clang-format off
        {"136", true, false, "136.00000"},        {"174", true, false, "174.00000"},
        {"174.00001", false, true, "174.00001"},  {"135.99999", false, true, "135.99999"},
        {"abc", false, true, "abc"},              {"150.0125", true, false, "150.01250"},
        {"150.0062", true, false, "150.00625"},   {"136.03149", true, false, "136.03125"},
        {"136.0070", true, false, "136.00750"},   {"150.0040", true, true, "150.00400"},
        {"150.0110", true, true, "150.01100"},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        test::ScriptedOperator op;
        FrequencyFields fields{row.typed, "", true};
        EXPECT_EQ(RFrq_Validate(fields, op), row.cancel);
        EXPECT_EQ(fields.rx, row.after);
        // Simplex copies an in-range text whether or not it is on the raster.
        EXPECT_EQ(fields.tx, row.inRange ? row.after : "");
        EXPECT_EQ(op.shown, row.cancel ? std::vector<Message>{invalidRx} : std::vector<Message>{});
    }
}

TEST(CheckFrequenciesTest, DuplexWithBothBadShowsFourMessagesInOrder) {
    test::ScriptedOperator op;
    FrequencyFields fields{"180", "150.0040", false};
    EXPECT_FALSE(CheckFrequencies(fields, op));
    std::vector<std::string> texts;
    for (const Message& m : op.shown) {
        texts.push_back(m.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Invalid Rx Frequency", "Rx Frequency not valid",
                                               "Invalid Tx Frequency", "Tx Frequency not valid"}));
    EXPECT_EQ(op.beeps, 2);

    FrequencyFields sx{"150.0125", "garbage", true};
    EXPECT_TRUE(CheckFrequencies(sx, op));  // in simplex the transmit box only follows
    EXPECT_EQ(sx.tx, "150.01250");
}

TEST(KeyRulesTest, FrequencyAndChannelKeys) {
    struct FreqRow {
        int pos;
        int key;
        int result;
    } freqRows[] = {
        // clang-format off
        {1, '1', '1'}, {1, '2', 0}, {2, '3', '3'}, {2, '7', '7'}, {2, '2', 0}, {2, '8', 0},
        {3, '0', '0'}, {3, '.', 0}, {4, '.', '.'}, {4, '5', 0}, {9, '9', '9'}, {9, 'a', 0},
        {1, kBackspace, kBackspace},
        // clang-format on
    };
    for (const FreqRow& row : freqRows) {
        SCOPED_TRACE(std::to_string(row.pos) + " " + static_cast<char>(row.key));
        test::ScriptedOperator op;
        EXPECT_EQ(Check_Freq(row.key, row.pos, op), row.result);
        EXPECT_EQ(op.beeps, row.result == 0 ? 1 : 0);
    }
    const std::pair<int, int> channelRows[] = {{'5', '5'}, {'g', 'G'}, {'d', 'D'}, {'F', 'F'},
                                               {'h', 0},   {'A', 0},   {'-', 0}};
    for (const auto& [key, result] : channelRows) {
        SCOPED_TRACE(static_cast<char>(key));
        const DigitKeyResult r = ChannelKeyRule(key, " G ");
        EXPECT_EQ(r.key, result);
        EXPECT_EQ(r.text, "G");
    }
    EXPECT_EQ(ChannelKeyRule(kBackspace, " G ").text, " G ");
}

TEST(TypedNumberTest, ChannelBoxAndSixteenBitLimit) {
    const std::pair<const char*, std::optional<int>> channels[] = {
        // clang-format off
        {"GD1", 231}, {"GD2", 232}, {"DEF", 0}, {"1", 1}, {"230", 230}, {"007", 7},
        {"0", std::nullopt}, {"231", std::nullopt}, {"gd1", std::nullopt}, {"", std::nullopt},
        {"65537", std::nullopt}, {"99999999", std::nullopt},
        // clang-format on
    };
    for (const auto& [text, record] : channels) {
        SCOPED_TRACE(text);
        test::ScriptedOperator op;
        EXPECT_EQ(ChannelLeaveRule(text, op), record);
        EXPECT_EQ(op.beeps, record ? 0 : 1);
    }
    const std::pair<const char*, std::optional<int>> numbers[] = {
        // clang-format off
        {"", 0}, {"abc", 0}, {" 42 ", 42}, {"32767", 32767}, {"-32768", -32768},
        {"32768", std::nullopt}, {"65541", std::nullopt}, {"1e9", std::nullopt}, {"2.5", 2},
        {"3.5", 4},
        // clang-format on
    };
    for (const auto& [text, value] : numbers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseTyped16(text), value);
    }
    test::ScriptedOperator op;
    EXPECT_EQ(NoiseSquelchOk("15", op), 15);
    EXPECT_EQ(NoiseSquelchOk("", op), 0);
    EXPECT_EQ(NoiseSquelchOk("16", op), std::nullopt);
    EXPECT_EQ(NoiseSquelchOk("65551", op), std::nullopt);  // would wrap to 15
    EXPECT_EQ(op.shown,
              std::vector<Message>(2, {"Value is out of range", "", Icon::None, Buttons::Ok}));
}

TEST(EditorTextTest, DisplayCompletionLabelsAndNextChannel) {
    const std::pair<std::string, const char*> rows[] = {
        {DisplayFrequency("154.0125  "), "154.01250"},
        {DisplayFrequency("154.0062  "), "154.00625"},
        {DisplayFrequency("154.0187  "), "154.01875"},
        {DisplayFrequency("141.0075  "), "141.00750"},
        {DisplayFrequency("          "), "000.00000"},
        {CompleteTalkGroup("A"), "000A"},
        {CompleteTalkGroup("0001  "), "0001"},
        {CompleteNac("1"), "001"},
        {CompleteNac(""), "000"},
        {ChannelBoxText(5), "005"},
        {ChannelBoxText(0), "DEF"},
        {ChannelBoxText(231), "GD1"},
        {ChannelBoxText(232), "GD2"},
    };
    for (const auto& [got, want] : rows) {
        EXPECT_EQ(got, want);
    }
    const std::pair<int, int> next[] = {{0, 1}, {5, 6}, {230, 231}, {231, 232}, {232, 1}};
    for (const auto& [current, following] : next) {
        EXPECT_EQ(NextChannel(current), following) << current;
    }
}

TEST(IdCallTest, PacksAndUnpacksSevenDigits) {
    struct Row {
        const char* typed;
        const char* digits;
        std::array<std::int16_t, 5> elements;
    } rows[] = {
        // clang-format off
        {"42", "0000042", {0, 0, 0, 0x42, 77}},           {"", "0000000", {0, 0, 0, 0, 77}},
        {"1234567", "1234567", {1, 0x23, 0x45, 0x67, 77}}, {"0192899", "0192899", {0, 0x19, 0x28, 0x99, 77}},
        {" 0000001 ", "0000001", {0, 0, 0, 1, 77}},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(IdCallDigits(row.typed), row.digits);
        std::array<std::int16_t, 5> idCall{9, 9, 9, 9, 77};  // element 4 is not ours
        PackIdCall(IdCallDigits(row.typed), idCall);
        EXPECT_EQ(idCall, row.elements);
        EXPECT_EQ(IdCallText(idCall), row.digits);
    }
    // Whatever a file put there, the box gets seven digits.
    EXPECT_EQ(IdCallText({0x1F, 0xAB, -1, 0x100, 0}), "9999900");
}

}  // namespace
}  // namespace kld
