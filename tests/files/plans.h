#pragma once
// A channel memory using every kind of field, made the way the editor makes it; the plans,
// listings and data files of several tests are written from it.
#include <gtest/gtest.h>

#include "../core/fake_operator.h"
#include "../test_memory.h"
#include "channel_editor.h"
#include "listings.h"
#include "shadows.h"

namespace kld::test {

using namespace std::string_literals;
using Zones = std::array<std::int16_t, kZoneCount>;

// A memory and the program state that goes with it, as a fresh program holds them.
struct Session {
    ChannelMemory memory = ResetMemory();
    ProgramState state;
};

struct Chan {
    int index;
    std::string desc;
    int list;
    bool scan;
    int mode;
    std::string rx, tx;
    std::int16_t rxSql, txSql;
    int rxCtcss = 0, txCtcss = 0, rxDcs = 0, txDcs = 0;
    std::string rxTg = "0001", txTg = "0001", rxNac = "293", txNac = "293", idCall = "0000001";
};

// The headings that open a listing.
inline std::string ListingHead() {
    std::string head;
    for (std::string_view heading : kListingHeadings) {
        head += " " + std::string(heading) + "\r\n";
    }
    return head;
}

// Stores a channel the way the editor's "Save Record" does.
inline void Store(ChannelMemory& memory, const Chan& c) {
    memory.Current = static_cast<std::int16_t>(c.index);
    const EditorValues v{c.list,  c.scan,  c.mode,  c.rx == c.tx, c.desc,  c.rx,
                         c.tx,    c.rxSql, c.txSql, c.rxCtcss,    c.rxDcs, c.txCtcss,
                         c.txDcs, c.rxTg,  c.txTg,  c.rxNac,      c.txNac, c.idCall};
    ScriptedOperator op;
    ASSERT_TRUE(StoreChannel(memory, v, op, nullptr).stored) << "channel " << c.index;
}

// Lists (one full, one shown with two digits), scan, all three modes, duplex, the 6.25 kHz
// raster, tones and codes up to the tables' last entries, talk groups, NACs, ID calls, Tx
// inhibit, shadows of two primaries, a changed template, guard and Main, Latin-1 text and text
// that needs quoting.
inline ChannelMemory VariedMemory() {
    ChannelMemory m = ResetMemory();
    m.EnabledModes = kEnableWide | kEnableNarrow | kEnableDigital;
    Store(m, {1, "Main", 0, false, kModeNarrow, "151.0250", "151.0250", kSqlNoise, kSqlNoise});
    Store(m, {2, "Rpt, \"A\"", 0, true, kModeWide, "146.3400", "146.9400", kSqlCtcss, kSqlCtcss, 12,
              14});
    Store(m, {3, "Caf\xE9", 1, false, kModeNarrow, "150.00625", "150.00625", kSqlDcs, kSqlDcs, 0, 0,
              0, 82});
    Store(m, {10, "P25", 1, true, kModeDigital, "155.5000", "156.0000", kSqlNac, kSqlTalkGroup, 0,
              0, 0, 0, "BEEF", "0A1F", "F7E", "123"});
    Store(m, {11, "", 14, false, kModeDigital, "160.0000", "160.0000", kSqlMonitor, kSqlIdCall, 0,
              0, 0, 0, "0001", "0001", "293", "293", "1234567"});
    Store(m,
          {12, "Rx,Only", 2, false, kModeNarrow, "170.0000", "170.0000", kSqlNoise, kSqlTxInhibit});
    for (int i = 100; i < 116; ++i) {
        Store(m, {i, "Full " + std::to_string(i), 4, i % 2 == 0, kModeNarrow, "140.0000",
                  "140.0000", kSqlCtcss, kSqlCtcss, i - 100, i - 90});
    }
    CreateShadow(m, "10", "20");
    CreateShadow(m, "10", "21");
    CreateShadow(m, "2", "30");
    Store(m, {21, "Shadow", 0, false, kModeDigital, "155.5000", "156.0000", kSqlTalkGroup,
              kSqlTalkGroup, 0, 0, 0, 0, "0002", "0003"});
    Store(m, {kGuard1, "Fire", 0, false, kModeNarrow, "155.3400", "155.3400", kSqlCtcss, kSqlCtcss,
              41, 41});
    Store(m,
          {0, "Tmpl", 2, true, kModeNarrow, "152.0000", "152.0000", kSqlDcs, kSqlDcs, 0, 0, 7, 7});
    return m;
}

}  // namespace kld::test
