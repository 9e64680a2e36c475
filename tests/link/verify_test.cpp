#include "verify.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../cases.h"
#include "send_plan.h"
#include "sim_rig.h"
#include "tables.h"

namespace kld {

// Lets GoogleTest show a difference readably.
void PrintTo(const VerifyDifference& d, std::ostream* os) {
    *os << "{" << d.channel << ", " << d.field << ", " << d.sent << ", " << d.inRadio << "}";
}

namespace {

using Diffs = std::vector<VerifyDifference>;
using test::Channel;
using test::Rig;

// Each byte field is named and shown readably; flags only the program keeps never count.
TEST(VerifyCompare, NamesEachFieldThatDiffers) {
    ChannelMemory sent = test::ResetMemory();
    Channel(sent, 5, kSelDefined | kSelSend).RCTCSS = 33;
    Channel(sent, 6, kSelDefined | kSelErased);
    sent.Rec(kGuard1).Select |= kSelSend;
    sent.NoiseSquelchLevel = 7;
    const SendSelection selection = SelectedForSending(sent);
    RadioImages clean{};
    for (int i : selection.written) {
        clean[static_cast<std::size_t>(i)] = RecordImage(sent, i);
        (*clean[static_cast<std::size_t>(i)])[image_offset::RFRec] = 7;
    }
    namespace at = image_offset;
    using Bytes = std::vector<std::tuple<int, std::size_t, int>>;  // record, offset, value
    // Bytes the radio holds otherwise, and what the comparison says of them.
    const std::tuple<const char*, Bytes, Diffs> rows[] = {
        {"the same", {}, {}},
        {"description", {{5, at::Desc, 'X'}}, {{"005", "Description", "\"Ch 5\"", "\"Xh 5\""}}},
        {"a tone the tables lack",
         {{5, at::RCTCSS, 0xEE}},
         {{"005", "Rx Tone", "206.5 Hz", "code 0xEE"}}},
        {"mode and level",
         {{5, at::Mode, *ModeCode(kModeNarrow)}, {5, at::RFRec, 9}},
         {{"005", "Mode", "P25 Conventional", "Analog Narrowband"},
          {"005", "Noise Squelch Level", "7", "9"}}},
        {"a guard's list is the program's own", {{kGuard1, at::Scan, 0}}, {}},
    };
    ChannelMemory memory = sent;
    memory.Rec(5).Select |= kSelCreatedHere;  // a flag only the program keeps
    for (const auto& [name, bytes, want] : rows) {
        RadioImages radio = clean;
        for (const auto& [index, offset, value] : bytes) {
            (*radio[static_cast<std::size_t>(index)])[offset] = static_cast<std::uint8_t>(value);
        }
        EXPECT_EQ(CompareWithRadio(memory, selection, radio), want) << name;
    }
    RadioImages radio = clean;
    radio[5].reset(), radio[6] = radio[kGuard1];  // 5 missing, the erased 6 still held
    EXPECT_EQ(
        CompareWithRadio(memory, selection, radio),
        (Diffs{{"005", "Channel", "sent", "missing"}, {"006", "Channel", "erased", "still held"}}));
}

// Against the simulated radio (a clean one is in the send selection's test): a corrupted record, a
// radio answering rubbish, nothing to check. The program's own memory and state never change.
TEST(VerifyRadio, ReportsOkTheCorruptedChannelOrTheTransfersFailure) {
    for (const test::Cells& row : test::Cases("verify_radio.txt")) {
        const std::string &radio = row.at(0), &report = row.at(3);
        const bool select = row.at(1) == "yes";
        const auto outcome = static_cast<Outcome>(std::stoi(row.at(2)));
        SCOPED_TRACE(radio);
        Rig rig(radio);
        rig.StampsAlike();
        Channel(rig.memory, 12, kSelDefined | (select ? kSelSend : 0));
        if (select) {
            ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        }
        const ChannelMemory before = rig.memory;
        const ProgramState state = rig.state;
        const int opens = rig.device.OpenCount();
        rig.op.shown.clear();

        const VerifyResult result = rig.Verify();
        const std::string text = VerifyReportText(result);
        EXPECT_EQ(std::pair(result.transfer.outcome, text.substr(0, report.size())),
                  std::pair(outcome, report));
        EXPECT_TRUE(rig.memory.Records == before.Records);
        EXPECT_EQ(rig.state.MemoryStamp, state.MemoryStamp);
        EXPECT_TRUE(rig.op.shown.empty()) << "a verify tells nothing itself";
        EXPECT_EQ(result.transfer.failure.has_value(), outcome != Outcome::Complete);
        EXPECT_EQ(result.radioStamp, outcome == Outcome::Complete ? rig.radio.MemoryStamp() : "");
        EXPECT_EQ(rig.device.OpenCount() - opens, select ? 1 : 0);
    }
}

using Indices = std::vector<int>;
using M = ChannelMemory&;

// Which records a send writes and erases, and that a real send, with equal stamps, does exactly
// that, purging the radio only when shadows go out: the primaries first, shadows in a second
// pass, each record with the noise squelch level, each erase with the erase command for its own
// channel number.
TEST(SendSelection, FollowsTheSendsOwnChoice) {
    const std::tuple<const char*, void (*)(M), Indices, Indices> rows[] = {
        {"selected and defined only",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelSend), Channel(m, 6, kSelDefined);
             Channel(m, 7, kSelSend), m.Rec(kDefaultRecord).Select = kSelDefined | kSelSend;
         },
         {kDefaultRecord, 5},
         {}},
        // Primary 10 with shadows 9 and 41; a wild shadow-list entry elsewhere must not matter.
        {"a shadow brings its family",
         [](M m) {
             Channel(m, 10, kSelDefined).Shad = kShadPrimary, m.Rec(10).ShadList = {9, 41};
             Channel(m, 9, kSelDefined).Prim = 10, m.Rec(9).Shad = 1;
             Channel(m, 41, kSelDefined | kSelSend).Prim = 10, m.Rec(41).Shad = 2;
             m.Rec(41).ShadList[3] = 999;
         },
         {9, 10, 41},
         {}},
        {"erased wins over the send box",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelFromRadio | kSelErased | kSelSend);
             Channel(m, 7, kSelDefined | kSelFromRadio | kSelErased);
             m.Rec(kGuard2).Select |= kSelSend;
         },
         {kGuard2},
         {5, 7}},
        {"the last ordinary channel alone",
         [](M m) { Channel(m, kLastOrdinaryChannel, kSelDefined | kSelSend); },
         {kLastOrdinaryChannel},
         {}},
    };
    for (const auto& [name, make, written, erased] : rows) {
        SCOPED_TRACE(name);
        test::Rig rig;
        rig.StampsAlike();
        rig.memory.NoiseSquelchLevel = 7;
        make(rig.memory);
        const SendSelection selection = SelectedForSending(rig.memory);
        EXPECT_EQ(std::pair(selection.written, selection.erased), std::pair(written, erased));

        // The radio holds an older copy of every channel, which matches only once written.
        for (int i = 0; i <= kLastRecord; ++i) {
            if (rig.memory.Rec(i).IsDefined()) {
                ChannelRecord& old = rig.radio.Memory().Rec(i) = rig.memory.Rec(i);
                old.Select = kSelDefined, old.Desc = "old";
            }
        }
        ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        EXPECT_EQ(rig.Sent("T204000011").empty(),
                  std::none_of(written.begin(), written.end(),
                               [&](int i) { return rig.memory.Rec(i).IsShadow(); }))
            << "a purge only as shadows go out";
        Indices sent;
        for (const std::string& frame : rig.Sent("T1")) {
            sent.push_back(std::stoi(frame.substr(4, 4), nullptr, 16));
            EXPECT_EQ(rig.radio.Memory().Rec(sent.back()).RFRec, 7);
        }
        EXPECT_TRUE(std::is_partitioned(sent.begin(), sent.end(),
                                        [&](int i) { return !rig.memory.Rec(i).IsShadow(); }));
        std::sort(sent.begin(), sent.end());
        EXPECT_EQ(sent, written);
        const VerifyResult result = rig.Verify();
        EXPECT_EQ(VerifyReportText(result), "Verify OK\n");
        EXPECT_EQ(result.recordsChecked, static_cast<int>(written.size()));
        for (int i : erased) {
            EXPECT_FALSE(rig.radio.Memory().Rec(i).IsDefined()) << i;
        }
    }
}

}  // namespace
}  // namespace kld
