#pragma once
// A channel memory using every kind of field, made the way the editor makes it; the plans,
// listings and data files of several tests are written from it.
#include <gtest/gtest.h>

#include "../core/fake_operator.h"
#include "../test_memory.h"
#include "channel_editor.h"
#include "listings.h"
#include "shadows.h"
#include "temp_dir.h"

namespace kld::test {

using namespace std::string_literals;
using Zones = std::array<std::int16_t, kZoneCount>;

// A memory and the program state that goes with it, as a fresh program holds them.
struct Session {
    ChannelMemory memory = ResetMemory();
    ProgramState state;
};

// The headings that open a listing.
inline std::string ListingHead() {
    std::string head;
    for (std::string_view heading : kListingHeadings) {
        head += " " + std::string(heading) + "\r\n";
    }
    return head;
}

// The memory of cases/varied.txt: lists (one full, one shown with two digits), scan, all three
// modes, duplex, the 6.25 kHz raster, tones and codes up to the tables' last entries, talk groups,
// NACs, ID calls, Tx inhibit, shadows of two primaries, a changed template, guard and Main, Latin-1
// text and text that needs quoting.
inline ChannelMemory VariedMemory() {
    ChannelMemory m = ResetMemory();
    m.EnabledModes = kEnableWide | kEnableNarrow | kEnableDigital;
    for (const Cells& c : Cases("varied.txt")) {
        if (c.at(0) == "shadow") {
            EXPECT_TRUE(CreateShadow(m, c.at(1), c.at(2))) << c.at(2);
            continue;
        }
        m.Current = static_cast<std::int16_t>(Int(c.at(1)));
        const auto sql = [&c](std::size_t i) { return static_cast<std::int16_t>(c.at(i).at(0)); };
        const EditorValues v{Int(c[3]),  c[4] == "yes", Int(c[5]),  c[6] == c[7], c[2],
                             c[6],       c[7],          sql(8),     sql(9),       Int(c[10]),
                             Int(c[11]), Int(c[12]),    Int(c[13]), c[14],        c[15],
                             c[16],      c[17],         c.at(18)};
        ScriptedOperator op;
        EXPECT_TRUE(StoreChannel(m, v, op, nullptr).stored) << "channel " << c[1];
    }
    return m;
}

}  // namespace kld::test
