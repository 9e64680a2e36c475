#include "field_rules.h"

#include "core_support.h"

namespace kld::test {
namespace {

// Every 1 kHz digit against every 10 kHz digit: which pairs lie on the 2.5 or 6.25 kHz raster
// and which 100 Hz / 10 Hz digits replace what was typed. In duplex the Tx box is left alone.
TEST(FieldRules, FrequencyRasterBandAndSimplexCopy) {
    const std::tuple<char, std::string, const char*> rows[] = {
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
            ScriptedOperator op;
            FrequencyFields fields{head + "49", "141.0000", false};
            const bool on = tenKhzOnRaster.find(ten) != std::string::npos;
            EXPECT_EQ(std::tuple(LeaveRxFrequency(fields, op), fields.rx, op.beeps, fields.tx),
                      std::tuple(!on, head + (on ? exactTail : "49"), on ? 0 : 1, "141.0000"));
        }
    }
    // The leave rule in simplex: the boxes afterwards, cancel and the messages shown.
    const auto leave = [](const char* typed) {
        ScriptedOperator op;
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

TEST(FieldRules, KeysChannelBoxTypedNumbersDisplayCompletionAndIdCall) {
    using KeyText = std::pair<int, std::string>;
    const auto channelKey = [](int key) {
        const DigitKeyResult r = ChannelKeyRule(key, " G ");
        return KeyText{r.key, r.text};
    };
    using Beeped = std::pair<int, int>;  // the key let through and the beeps made
    const auto frequencyKey = [](int pos, int key) {
        ScriptedOperator op;
        return Beeped{FrequencyKeyRule(key, pos, op), op.beeps};
    };
    using Record = std::optional<int>;
    const auto leave = [](const char* text) {
        ScriptedOperator op;
        const Record record = ChannelLeaveRule(text, op);
        EXPECT_EQ(op.beeps, record ? 0 : 1) << text;
        return record;
    };
    using Elements = std::array<S, 5>;
    const auto packed = [](const char* typed) {
        const std::string digits = IdCallDigits(typed);
        Elements idCall{9, 9, 9, 9, 77};  // element 4 is not ours
        PackIdCall(digits, idCall);
        EXPECT_EQ(IdCallText(idCall), digits) << typed;
        return std::pair(digits, idCall);
    };
    // clang-format off
    ExpectRows<KeyText, int>(channelKey, {{'5', {'5', "G"}}, {'g', {'G', "G"}}, {'d', {'D', "G"}},
        {'h', {0, "G"}}, {'C', {0, "G"}}, {kBackspace, {kBackspace, " G "}}});
    ExpectRows<Beeped, int, int>(frequencyKey, {{1, '1', {'1', 0}}, {1, '2', {0, 1}},
        {2, '3', {'3', 0}}, {2, '7', {'7', 0}}, {2, '2', {0, 1}}, {2, '8', {0, 1}},
        {3, '.', {0, 1}}, {4, '.', {'.', 0}}, {4, '5', {0, 1}}, {9, '9', {'9', 0}},
        {1, kBackspace, {kBackspace, 0}}});
    ExpectRows<Record, const char*>(leave, {{"GD1", 231}, {"GD2", 232}, {"DEF", 0}, {"1", 1},
        {"230", 230}, {"0", nullopt}, {"231", nullopt}, {"gd1", nullopt}, {"65537", nullopt}});
    ExpectRows<Record, const char*>(ParseTyped16, {{"", 0}, {" 42 ", 42}, {"32767", 32767},
        {"-32768", -32768}, {"32768", nullopt}, {"-32769", nullopt}, {"1e9", nullopt},
        {"2.5", 2}, {"3.5", 4}});
    ExpectRows<const char*, const char*>(DisplayFrequency, {{"154.0125  ", "154.01250"},
        {"154.0062  ", "154.00625"}, {"154.0187  ", "154.01875"}, {"          ", "000.00000"}});
    ExpectRows<const char*, const char*>(CompleteTalkGroup, {{"A", "000A"}, {"012345", "2345"}});
    ExpectRows<const char*, const char*>(CompleteNac, {{" 1 ", "001"}, {"", "000"}});
    ExpectRows<const char*, int>(ChannelBoxText, {{5, "005"}, {0, "DEF"}, {231, "GD1"}, {232, "GD2"}});
    ExpectRows<int, int>(NextChannel, {{0, 1}, {5, 6}, {230, 231}, {231, 232}, {232, 1}});
    // The ID call box: seven digits packed into elements 0 to 3 and unpacked again.
    ExpectRows<std::pair<std::string, Elements>, const char*>(packed, {
        {"42", {"0000042", {0, 0, 0, 0x42, 77}}}, {"", {"0000000", {0, 0, 0, 0, 77}}},
        {" 1234567 ", {"1234567", {1, 0x23, 0x45, 0x67, 77}}},
        {"012345678", {"1234567", {1, 0x23, 0x45, 0x67, 77}}}});
    // clang-format on
    // Whatever a file put there, the box gets seven digits.
    EXPECT_EQ(IdCallText({0x1F, 0xAB, -1, 0x100, 0}), "9999900");
}

}  // namespace
}  // namespace kld::test
