#include "channel_memory.h"

#include "codecs.h"

namespace kld {

namespace {

// Main and the two guard channels share everything but the fields set after this.
void MakeFixedChannel(ChannelRecord& r, int index) {
    r.Select = kSelDefined;
    r.Shad = 0;
    r.Prim = static_cast<std::int16_t>(index);
    r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = 0;
    r.EFlags = 32;
    r.Mode = kModeDigital;
    r.RFrq = FormatFixed(136, 4);
    r.TFrq = r.RFrq;
    r.RSql = r.TSql = kSqlTalkGroup;
    r.RTG = r.TTG = "0001";
    r.RCTCSS = r.RDCS = r.TCTCSS = r.TDCS = 1;
    r.RNAC = r.TNAC = "293";
    r.IDCall[0] = r.IDCall[1] = r.IDCall[2] = 0;
    r.IDCall[3] = 1;
    for (int slot = 0; slot < kShadowSlots; ++slot) {
        r.ShadList[static_cast<std::size_t>(slot)] = 0;
    }
    r.RFRec = 0;
}

void MakeGuard(ChannelRecord& r, int index, std::int16_t scan, std::string_view desc, double mhz,
               std::int16_t squelch) {
    MakeFixedChannel(r, index);
    r.Shad = kShadGuard;
    r.Scan = scan;
    r.Desc = desc;
    r.Mode = kModeNarrow;
    r.RFrq = FormatFixed(mhz, 4);
    r.TFrq = r.RFrq;
    r.RSql = r.TSql = squelch;
}

}  // namespace

void ClearMemory(ChannelMemory& memory) {
    memory.ZoneCounts.fill(0);
    for (int index = kFirstChannel; index <= kLastRecord; ++index) {
        ChannelRecord& r = memory.Rec(index);
        r = memory.Rec(kDefaultRecord);
        r.RFRec = 10;
        r.Select = 0;
    }

    ChannelRecord& main = memory.Rec(kFirstChannel);
    MakeFixedChannel(main, kFirstChannel);
    main.Desc = "Main";
    ++memory.ZoneCounts[0];

    MakeGuard(memory.Rec(kGuard1), kGuard1, kGuard1Scan, "Guard 1", 154, kSqlCtcss);
    ++memory.ZoneCounts[kGuardZone];
    MakeGuard(memory.Rec(kGuard2), kGuard2, kGuard2Scan, "Guard 2", 174, kSqlNoise);
    ++memory.ZoneCounts[kGuardZone];

    memory.Current = kFirstChannel;
}

}  // namespace kld
