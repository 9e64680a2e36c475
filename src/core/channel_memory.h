#pragma once

#include <array>
#include <cstdint>

#include "fixed_text.h"

namespace kld {

// Record indices with a role of their own.
inline constexpr int kDefaultRecord = 0;  // "DEF": the template, kept in the settings file
inline constexpr int kFirstChannel = 1;   // "Main" after a reset
inline constexpr int kLastOrdinaryChannel = 230;
inline constexpr int kGuard1 = 231;       // "GD1"
inline constexpr int kGuard2 = 232;       // "GD2"
inline constexpr int kLastRecord = 232;   // last record that files and radios carry
inline constexpr int kRecordSlots = 234;  // slot 233 is a spare nobody reads or writes
inline constexpr int kZoneCount = 16;
inline constexpr int kMaxChannelsPerZone = 16;
inline constexpr int kShadowSlots = 7;  // ShadList slots 0..6 hold shadows

// Select flags.
inline constexpr std::int16_t kSelDefined = 0x80;
inline constexpr std::int16_t kSelFromRadio = 0x40;
inline constexpr std::int16_t kSelCreatedHere = 0x20;
inline constexpr std::int16_t kSelListChanged = 0x04;
inline constexpr std::int16_t kSelErased = 0x02;
inline constexpr std::int16_t kSelSend = 0x01;

// Shad flags.
inline constexpr std::int16_t kShadSlotMask = 0x07;
inline constexpr std::int16_t kShadScanMember = 0x08;
inline constexpr std::int16_t kShadPrimary = 0x10;
inline constexpr std::int16_t kShadGuard = 0x80;

// Squelch mode letters, stored as their character codes in RSql and TSql.
inline constexpr std::int16_t kSqlNoise = 'x';
inline constexpr std::int16_t kSqlCtcss = 't';
inline constexpr std::int16_t kSqlDcs = 'c';
inline constexpr std::int16_t kSqlMonitor = 'm';
inline constexpr std::int16_t kSqlNac = 'n';
inline constexpr std::int16_t kSqlTalkGroup = 'g';
inline constexpr std::int16_t kSqlIdCall = 'i';
inline constexpr std::int16_t kSqlTxInhibit = '-';

// Operating modes (positions in the mode table) and their EnabledModes flags.
inline constexpr std::int16_t kModeWide = 0;
inline constexpr std::int16_t kModeNarrow = 1;
inline constexpr std::int16_t kModeDigital = 2;
inline constexpr std::uint8_t kEnableWide = 0x40;
inline constexpr std::uint8_t kEnableNarrow = 0x20;
inline constexpr std::uint8_t kEnableDigital = 0x10;

using Desc8 = FixedText<8>;
using TalkGroup6 = FixedText<6>;
using Nac6 = FixedText<6>;
using Freq10 = FixedText<10>;

// One memory slot of the radio. Field order and widths are the persisted order and widths;
// integers are signed 16-bit because that is what files and radios carry.
struct ChannelRecord {
    std::int16_t Select = 0;
    std::int16_t Shad = 0;
    std::int16_t Prim = 0;
    std::int16_t Chnl = 0;
    std::int16_t Scan = 0;
    Desc8 Desc;
    std::int16_t EFlags = 0;
    std::int16_t Mode = 0;
    std::int16_t RSql = 0;
    TalkGroup6 RTG;
    std::int16_t RCTCSS = 0;
    std::int16_t RDCS = 0;
    Nac6 RNAC;
    Freq10 RFrq;
    std::int16_t TSql = 0;
    TalkGroup6 TTG;
    std::int16_t TCTCSS = 0;
    std::int16_t TDCS = 0;
    Nac6 TNAC;
    Freq10 TFrq;
    std::array<std::int16_t, 5> IDCall{};
    std::array<std::int16_t, 8> ShadList{};
    std::int16_t RFRec = 0;

    bool IsDefined() const { return (Select & kSelDefined) != 0; }
    bool IsErased() const { return (Select & kSelErased) != 0; }
    bool IsShadow() const { return (Shad & kShadSlotMask) != 0; }
    bool HasShadows() const { return (Shad & kShadPrimary) != 0; }
    bool IsScanMember() const { return (Shad & kShadScanMember) != 0; }

    friend bool operator==(const ChannelRecord&, const ChannelRecord&) = default;
};

// The list (zone) a Scan value names. Bits 4 to 7 carry it; masking keeps any value a file or a
// radio can put into the field inside 0..15.
constexpr int ZoneOf(std::int16_t scan) {
    return (scan & 0xF0) >> 4;
}
// The Scan value of a channel placed in list `zone` (0..15); ZoneOf gives the zone back.
constexpr std::int16_t ScanOfZone(int zone) {
    return static_cast<std::int16_t>(zone * 16);
}

// The last list holds the two guards and nothing else, so it is never offered for a channel.
// Each guard has a Scan value of its own inside that list.
inline constexpr int kGuardZone = kZoneCount - 1;
inline constexpr std::int16_t kGuard1Scan = ScanOfZone(kGuardZone);
inline constexpr std::int16_t kGuard2Scan = ScanOfZone(kGuardZone) + 1;

// The one in-memory image of the radio's channel memory.
struct ChannelMemory {
    std::array<ChannelRecord, kRecordSlots> Records{};
    std::array<std::int16_t, kZoneCount> ZoneCounts{};
    std::int16_t Current = 0;
    std::uint8_t EnabledModes = kEnableNarrow | kEnableDigital;
    std::uint8_t NoiseSquelchLevel = 10;
    std::int16_t PortNumber = 1;
    bool Saved = true;

    ChannelRecord& Rec(int index) { return Records[static_cast<std::size_t>(index)]; }
    const ChannelRecord& Rec(int index) const { return Records[static_cast<std::size_t>(index)]; }
};

// True when index names a record that files and radios carry (0..232).
constexpr bool IsRecordIndex(int index) {
    return index >= 0 && index <= kLastRecord;
}
// True when index is a channel an operator may type for a channel, primary or shadow (1..230).
constexpr bool IsOrdinaryChannel(int index) {
    return index >= kFirstChannel && index <= kLastOrdinaryChannel;
}

// Resets records 1 to 232 from the template (record 0) and makes Main and the two guards.
// Records 0 and 233 stay as they are; Current becomes 1.
void ClearMemory(ChannelMemory& memory);

}  // namespace kld
