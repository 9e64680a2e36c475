#pragma once
// What the core's test files share: tables of rows, the messages shown as one text, and
// memories as the editor leaves them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../cases.h"
#include "channel_editor.h"
#include "codecs.h"
#include "fake_operator.h"

namespace kld::test {

using S = std::int16_t;
using M = ChannelMemory;
using V = EditorValues;
using std::nullopt;
using namespace std::string_view_literals;

// Expects fn(args...) == want for every row {args..., want}; a failure prints the row.
template <typename Want, typename... Args, typename Fn>
void ExpectRows(Fn fn, std::initializer_list<std::tuple<Args..., Want>> rows) {
    for (const auto& row : rows) {
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            EXPECT_EQ(fn(std::get<I>(row)...), std::get<sizeof...(I)>(row))
                << testing::PrintToString(row);
        }
        (std::index_sequence_for<Args...>{});
    }
}

// A key in a case table: "BS" is backspace; a key swallowed is "none".
inline int Key(const std::string& cell) {
    return cell == "BS" ? kBackspace : cell.at(0);
}
inline std::string KeyText(int key) {
    return key == 0 ? "none" : key == kBackspace ? "BS" : std::string(1, static_cast<char>(key));
}

// The messages shown as one text: each message's text, "|" and its title when it has one, then
// ";" for an OK box without an icon, "!" for one with the exclamation icon, "?" for the rest.
inline std::string Texts(const std::vector<Message>& shown) {
    std::string texts;
    for (const Message& m : shown) {
        const bool ok = m.buttons == Buttons::Ok;
        texts += m.text + (m.title.empty() ? "" : "|" + m.title) +
                 (ok && m.icon == Icon::None          ? ";"
                  : ok && m.icon == Icon::Exclamation ? "!"
                                                      : "?");
    }
    return texts;
}

// A memory as start-up leaves it: a narrowband template, cleared, narrow and digital enabled.
inline ChannelMemory CleanMemory() {
    ChannelMemory memory;
    ChannelRecord& t = memory.Rec(kDefaultRecord);
    t.Select = kSelDefined, t.Desc = "Desc", t.Mode = kModeNarrow, t.IDCall = {0, 0, 0, 1, 0};
    t.RFrq = t.TFrq = "141.0000", t.RSql = t.TSql = kSqlNoise;
    t.RTG = t.TTG = "0001", t.RNAC = t.TNAC = "293";
    ClearMemory(memory);
    return memory;
}

// A channel stored earlier (0xA?: made here, 0xC?: received), counted in `list`.
inline ChannelRecord& Define(ChannelMemory& memory, int index, S select, int list = 2) {
    ChannelRecord& r = memory.Rec(index) = memory.Rec(kDefaultRecord);
    r.Select = select, r.Scan = ScanOfZone(list), r.Prim = r.Chnl = static_cast<S>(index);
    ++memory.ZoneCounts[static_cast<std::size_t>(list)];
    return r;
}

// Record `index` shown in the editor: the values a store of it starts from.
inline EditorValues Shown(ChannelMemory& memory, int index) {
    memory.Current = static_cast<S>(index);
    return ViewCurrentChannel(memory).values;
}

// The lists whose counts differ from `before`, as " 2-1 3+1".
inline std::string CountChanges(const ChannelMemory& before, const ChannelMemory& after) {
    std::string changes;
    for (std::size_t z = 0; z < kZoneCount; ++z) {
        if (const int change = after.ZoneCounts[z] - before.ZoneCounts[z]; change != 0) {
            changes += " " + std::to_string(z) + (change > 0 ? "+" : "") + std::to_string(change);
        }
    }
    return changes;
}

}  // namespace kld::test
