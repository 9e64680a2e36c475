#include "field_rules.h"

#include "core_support.h"

namespace kld::test {
namespace {

// The rules of cases/field_rules.txt.
TEST(FieldRules, FrequenciesKeysChannelBoxTypedNumbersCompletionAndIdCall) {
    const auto raster = [](const Cells& a) {
        std::string on, tail;
        for (char ten = '0'; ten <= '9'; ++ten) {
            const std::string head = "150.0" + std::string{ten} + a[0];
            ScriptedOperator op;
            FrequencyFields fields{head + "49", "141.0000", false};
            const bool refused = LeaveRxFrequency(fields, op);
            if (!refused && on.empty()) {
                tail = fields.rx.substr(head.size());
            }
            on += refused ? "" : std::string{ten};
            EXPECT_EQ(std::tuple(fields.rx, op.beeps, fields.tx),
                      std::tuple(head + (refused ? "49" : tail), refused ? 1 : 0, "141.0000"));
        }
        return on + "|" + tail;
    };
    const auto leave = [](const Cells& a) {
        ScriptedOperator op;
        FrequencyFields fields{a[0], "", true};
        const bool cancel = LeaveRxFrequency(fields, op);
        return fields.rx + "|" + fields.tx + "|" + AsText(cancel) + "|" + Texts(op.shown);
    };
    const auto channelKey = [](const Cells& a) {
        const DigitKeyResult r = ChannelKeyRule(Key(a[0]), " G ");
        return KeyText(r.key) + "|" + r.text;
    };
    const auto frequencyKey = [](const Cells& a) {
        ScriptedOperator op;
        const std::string key = KeyText(FrequencyKeyRule(Key(a[0]), Int(a[1]), op));
        return key + "|" + AsText(op.beeps);
    };
    const auto channelLeave = [](const Cells& a) {
        ScriptedOperator op;
        const std::string record = AsText(ChannelLeaveRule(a[0], op));
        return record + "|" + AsText(op.beeps);
    };
    const auto idCall = [](const Cells& a) {
        const std::string digits = IdCallDigits(a[0]);
        std::array<S, 5> elements{9, 9, 9, 9, 77};
        PackIdCall(digits, elements);
        EXPECT_EQ(IdCallText(elements), digits) << a[0];
        char text[40];
        std::snprintf(text, sizeof text, "|%X %X %X %X %X", elements[0], elements[1], elements[2],
                      elements[3], elements[4]);
        return digits + text;
    };
    const auto text = [](auto fn) {
        return CaseFn{1, [fn](const Cells& a) { return AsText(fn(a[0])); }};
    };
    ExpectCases(
        "field_rules.txt",
        {{"Raster", {1, raster}},
         {"LeaveRxFrequency", {1, leave}},
         {"ChannelKeyRule", {1, channelKey}},
         {"FrequencyKeyRule", {2, frequencyKey}},
         {"ChannelLeaveRule", {1, channelLeave}},
         {"ParseTyped16", text(ParseTyped16)},
         {"DisplayFrequency", text(DisplayFrequency)},
         {"FrequencyAdvice", text(FrequencyAdvice)},
         {"CompleteTalkGroup", text(CompleteTalkGroup)},
         {"CompleteNac", text(CompleteNac)},
         {"ChannelBoxText", text([](const std::string& n) { return ChannelBoxText(Int(n)); })},
         {"NextChannel", text([](const std::string& n) { return NextChannel(Int(n)); })},
         {"IdCall", {1, idCall}}});
    // The leave rule's message and the refused store's both carry the reason.
    ScriptedOperator op;
    FrequencyFields fields{"180", "", true};
    EXPECT_FALSE(CheckFrequencies(fields, op));
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(op.shown[0].detail, FrequencyAdvice("180"));
    EXPECT_TRUE(op.shown[1].detail.ends_with("first.\n" + FrequencyAdvice("180")));
    // Whatever a file put there, the box gets seven digits.
    EXPECT_EQ(IdCallText({0x1F, 0xAB, -1, 0x100, 0}), "9999900");
}

}  // namespace
}  // namespace kld::test
