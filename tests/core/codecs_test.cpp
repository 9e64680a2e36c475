#include <gtest/gtest.h>

#include "codecs.h"
#include "fake_operator.h"

namespace kld {
namespace {

TEST(ToHexTest, ConvertsPadsAndNeverCuts) {
    struct Row {
        const char* name;
        const char* value;
        int finLen;
        const char* hex;
    } rows[] = {
        {"zero padded", "0", 4, "0000"},
        {"empty text counts as zero", "", 2, "00"},
        {"longer than asked is kept whole", "300", 2, "12C"},
        {"ten", "10", 2, "0A"},
        {"upper case digits", "255", 1, "FF"},
        {"four digits from two", "4096", 2, "1000"},
        {"largest value", "2147483647", 1, "7FFFFFFF"},
        {"half rounds down to even", "2.5", 1, "2"},
        {"half rounds up to even", "3.5", 1, "4"},
        {"above half rounds up", "2.6", 1, "3"},
        {"only the leading number counts", "12abc", 0, "C"},
        {"no number at all", "abc", 1, "0"},
        {"leading blanks skipped", "  26", 2, "1A"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ToHex(row.value, row.finLen), row.hex);
    }
}

TEST(ToDecTest, ReadsHexAndFailsToZero) {
    struct Row {
        const char* name;
        const char* value;
        const char* dec;
    } rows[] = {
        {"upper case", "FF", "255"},
        {"lower case", "ff", "255"},
        {"leading zero", "0A", "10"},
        {"place values", "10", "16"},
        {"empty", "", "0"},
        {"space fails", "1 2", "0"},
        {"point fails", "1.0", "0"},
        {"minus fails", "-1", "0"},
        {"letter beyond F counts on", "G", "16"},
        {"Z", "z", "35"},
        {"colon between 9 and A", ":", "3"},
        {"too large", "FFFFFFFF", "0"},
        {"just too large", "80000000", "0"},
        {"largest", "7FFFFFFF", "2147483647"},
        {"many leading zeros", "00000000000000000001", "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ToDec(row.value), row.dec);
    }
}

TEST(IsHexStringTest, LooksAtTheFirstLengthCharactersOnly) {
    struct Row {
        const char* name;
        const char* text;
        int length;
        int result;
    } rows[] = {
        {"upper case digits", "1A2", 3, 0},
        {"lower case digits", "1a2", 3, 0},
        {"G is no digit", "1G2", 3, 1},
        {"text too short", "12", 3, 1},
        {"padding after the span", "0001  ", 4, 0},
        {"space inside the span", "29 ", 3, 1},
        {"leading space", " 12", 3, 1},
        {"characters after the span ignored", "1A2G", 3, 0},
        {"nothing to look at", "", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsHexString(row.text, row.length), row.result);
    }
}

TEST(HexCheckTest, LetsHexThroughInUpperCaseAndBeepsOtherwise) {
    struct Row {
        const char* name;
        int key;
        int result;
        int beeps;
    } rows[] = {
        {"lower case letter", 'b', 'B', 0},
        {"upper case letter", 'F', 'F', 0},
        {"digit", '7', '7', 0},
        {"backspace", kBackspace, kBackspace, 0},
        {"G", 'G', 0, 1},
        {"g", 'g', 0, 1},
        {"space", ' ', 0, 1},
        {"minus", '-', 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::ScriptedOperator op;
        int key = row.key;
        EXPECT_EQ(HexCheck(key, op), row.result);
        EXPECT_EQ(key, row.result);
        EXPECT_EQ(op.beeps, row.beeps);
        EXPECT_TRUE(op.shown.empty());
    }
}

TEST(DigitKeyRuleTest, SwallowsNonDigitsAndTrimsOnEveryKeyButBackspace) {
    struct Row {
        const char* name;
        int key;
        const char* field;
        int result;
        const char* text;
    } rows[] = {
        {"digit", '5', "  3 ", '5', "3"},
        {"minus swallowed", '-', " 12 ", 0, "12"},
        {"point swallowed", '.', "1 ", 0, "1"},
        {"letter swallowed", 'a', "x", 0, "x"},
        {"backspace leaves the field", kBackspace, " 12 ", kBackspace, " 12 "},
        {"blank field", '0', "   ", '0', ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const DigitKeyResult result = DigitKeyRule(row.key, row.field);
        EXPECT_EQ(result.key, row.result);
        EXPECT_EQ(result.text, row.text);
    }
}

TEST(CheckSxTest, TrueOnlyWhenAllSixPairsMatch) {
    ChannelRecord simplex;
    simplex.RNAC = simplex.TNAC = "293";
    simplex.RTG = simplex.TTG = "0001";
    simplex.RFrq = simplex.TFrq = "136.0000";
    simplex.RDCS = simplex.TDCS = 4;
    simplex.RCTCSS = simplex.TCTCSS = 5;
    simplex.RSql = simplex.TSql = kSqlCtcss;

    struct Row {
        const char* name;
        void (*change)(ChannelRecord&);
        bool expected;
    } rows[] = {
        {"identical", [](ChannelRecord&) {}, true},
        {"other fields do not matter",
         [](ChannelRecord& r) {
             r.Mode = 2;
             r.Desc = "x";
             r.IDCall[3] = 9;
         },
         true},
        {"transmit tone", [](ChannelRecord& r) { r.TCTCSS = 6; }, false},
        {"frequency written differently", [](ChannelRecord& r) { r.TFrq = "136.00"; }, false},
        {"NAC", [](ChannelRecord& r) { r.TNAC = "294"; }, false},
        {"talk group", [](ChannelRecord& r) { r.RTG = "0002"; }, false},
        {"DCS", [](ChannelRecord& r) { r.TDCS = 0; }, false},
        {"squelch mode", [](ChannelRecord& r) { r.TSql = kSqlTxInhibit; }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelRecord r = simplex;
        row.change(r);
        EXPECT_EQ(CheckSx(r), row.expected);
    }
}

}  // namespace
}  // namespace kld
