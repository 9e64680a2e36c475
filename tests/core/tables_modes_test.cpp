#include <gtest/gtest.h>

#include <string>

#include "channel_memory.h"
#include "modes.h"
#include "tables.h"

namespace kld {
namespace {

std::string JoinedTexts(std::span<const TableEntry> table) {
    std::string joined;
    for (const TableEntry& entry : table) {
        joined += std::string(entry.text) + " ";
    }
    return joined;
}

TEST(TablesTest, TonesShowOneDecimalAndCarryTheirCodes) {
    EXPECT_EQ(JoinedTexts(CtcssTable()),
              "67.0 69.3 71.9 74.4 77.0 79.7 82.5 85.4 88.5 91.5 94.8 97.4 100.0 103.5 107.2 "
              "110.9 114.8 118.8 123.0 127.3 131.8 136.5 141.3 146.2 151.4 156.7 162.2 167.9 "
              "173.8 179.9 186.2 192.8 203.5 206.5 210.7 218.1 225.7 229.1 233.6 241.8 250.3 "
              "254.8 ");
    // Codes follow the position up to 203.5 Hz; the later tones carry codes 34 to 42.
    const std::int16_t late[] = {40, 34, 35, 36, 41, 37, 38, 39, 42};
    for (int position = 0; position < 42; ++position) {
        SCOPED_TRACE(position);
        const int code = position < 33 ? position + 1 : late[position - 33];
        EXPECT_EQ(CtcssCode(position), code);
        EXPECT_EQ(CtcssPositionOfCode(code), position);
    }
    EXPECT_EQ(CtcssPositionOfText("254.8"), 41);
    EXPECT_EQ(CtcssPositionOfText("254.1"), std::nullopt);
}

TEST(TablesTest, DcsCodesKeepLeadingZerosAndFollowThePosition) {
    ASSERT_EQ(DcsTable().size(), 83u);
    EXPECT_EQ(DcsText(0), "023");
    EXPECT_EQ(DcsText(1), "025");
    EXPECT_EQ(DcsText(9), "065");
    EXPECT_EQ(DcsText(82), "754");
    for (int position = 0; position < 83; ++position) {
        SCOPED_TRACE(position);
        EXPECT_EQ(DcsCode(position), position + 1);
        EXPECT_EQ(DcsPositionOfCode(position + 1), position);
        EXPECT_EQ(DcsPositionOfText(DcsText(position)), position);
    }
}

TEST(TablesTest, ModesCarryTheRadioLetters) {
    EXPECT_EQ(JoinedTexts(ModeTable()), "Wide Narrow Digital ");
    EXPECT_EQ(ModeCode(0), 'w');
    EXPECT_EQ(ModeCode(1), 'n');
    EXPECT_EQ(ModeCode(2), 'D');
    EXPECT_EQ(ModePositionOfCode('D'), 2);
    EXPECT_EQ(ModePositionOfCode('d'), std::nullopt);
}

TEST(TablesTest, PositionsOutsideATableHaveNoTextAndNoCode) {
    for (int position : {-32768, -5, -1, 42, 83, 500, 32767}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(CtcssText(position), "");
        EXPECT_EQ(CtcssCode(position), std::nullopt);
        if (position != 42) {
            EXPECT_EQ(DcsText(position), "");
            EXPECT_EQ(DcsCode(position), std::nullopt);
        }
        EXPECT_EQ(ModeText(position), "");
        EXPECT_EQ(ModeCode(position), std::nullopt);
    }
    EXPECT_EQ(ModeText(3), "");
    EXPECT_EQ(CtcssPositionOfCode(0), std::nullopt);
    EXPECT_EQ(CtcssPositionOfCode(43), std::nullopt);
    EXPECT_EQ(DcsPositionOfCode(0), std::nullopt);
    EXPECT_EQ(DcsPositionOfCode(84), std::nullopt);
}

TEST(ModePermissionTest, EnabledFlagOrWidebandInTheMarineBand) {
    struct Row {
        const char* name;
        std::uint8_t enabled;
        int mode;
        const char* txFreq;
        WideException exception;
        bool allowed;
    } rows[] = {
        {"enabled narrow", 0x30, kModeNarrow, "150.0000", WideException::Apply, true},
        {"disabled digital", 0x20, kModeDigital, "160.0000", WideException::Apply, false},
        {"enabled wide anywhere", 0x40, kModeWide, "140.0000", WideException::Apply, true},
        {"wide in marine band", 0x30, kModeWide, "160.0000", WideException::Apply, true},
        {"wide at 156.0", 0x30, kModeWide, "156.0000", WideException::Apply, true},
        {"wide just below 163", 0x30, kModeWide, "162.9999", WideException::Apply, true},
        {"wide at 163.0", 0x30, kModeWide, "163.0000", WideException::Apply, false},
        {"wide just below 156", 0x30, kModeWide, "155.9999", WideException::Apply, false},
        {"wide outside", 0x30, kModeWide, "150.0000", WideException::Apply, false},
        {"exception ignored", 0x30, kModeWide, "160.0000", WideException::Ignore, false},
        {"narrow has no exception", 0x10, kModeNarrow, "160.0000", WideException::Apply, false},
        {"nothing enabled", 0x00, kModeWide, "160.0000", WideException::Apply, true},
        {"number that is no mode", 0x70, 7, "160.0000", WideException::Apply, false},
        {"negative mode", 0x70, -1, "160.0000", WideException::Apply, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsModeAllowed(row.enabled, row.mode, row.txFreq, row.exception), row.allowed);
    }
}

TEST(ModePermissionTest, ReplacementIsFirstEnabledInWideNarrowDigitalOrder) {
    EXPECT_EQ(FirstEnabledMode(0x30), kModeNarrow);
    EXPECT_EQ(FirstEnabledMode(0x10), kModeDigital);
    EXPECT_EQ(FirstEnabledMode(0x70), kModeWide);
    EXPECT_EQ(FirstEnabledMode(0x50), kModeWide);
    EXPECT_EQ(FirstEnabledMode(0x00), std::nullopt);
    EXPECT_EQ(FirstEnabledMode(0x8F), std::nullopt);  // bits that name no mode
}

TEST(CommandLineTest, SingleLetterPiecesEnableModes) {
    struct Row {
        const char* line;
        std::uint8_t modes;
    } rows[] = {
        {"", 0x30},        {"   ", 0x30}, {"W", 0x40}, {"x", 0x00},   {"n  d", 0x30}, {"wn", 0x00},
        {" w n d ", 0x70}, {"N D", 0x30}, {"d", 0x10}, {"w,n", 0x00}, {"w w", 0x40},  {"-w", 0x00},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.line + "\"");
        EXPECT_EQ(EnabledModesFromCommandLine(row.line), row.modes);
    }
}

TEST(CommandLineTest, TemplateModeMovesToAnEnabledMode) {
    struct Row {
        const char* name;
        std::int16_t mode;
        std::uint8_t enabled;
        std::int16_t adjusted;
    } rows[] = {
        {"blank line moves wide to narrow", kModeWide, 0x30, kModeNarrow},
        {"wide only moves narrow to wide", kModeNarrow, 0x40, kModeWide},
        {"nothing enabled leaves it", kModeNarrow, 0x00, kModeNarrow},
        {"enabled mode stays", kModeDigital, 0x30, kModeDigital},
        {"digital only", kModeWide, 0x10, kModeDigital},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::int16_t mode = row.mode;
        AdjustTemplateMode(mode, row.enabled);
        EXPECT_EQ(mode, row.adjusted);
    }
}

}  // namespace
}  // namespace kld
