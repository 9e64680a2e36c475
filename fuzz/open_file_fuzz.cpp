// Any channel file, read as any kind the program reads, and what the program then does with the
// memory it made: the memory check, the stamp rule and channel 1 as every load ends; the views;
// the list operations and the comparison of two memories; the CSV plan.
//
//   byte 0  bit 0     the operator's answers (import an unrecognised file as an old one; move
//                     channels out of disabled modes): Yes and OK, else No and Cancel
//           bit 1     a memory stamp from the radio is held
//           bit 2     the last receive brought shadows
//           bits 3-5  read as "Open File" reads it (0, 7), as a KVS-220 list (1), a text
//                     listing (2), an old headerless file (3), a CSV plan (4), a data file (5),
//                     or at start-up as the settings file (6: see Load)
//   then    the file
#include <fstream>

#include "compare.h"
#include "csv.h"
#include "fuzz_support.h"
#include "list_operations.h"
#include "modes.h"
#include "older_files.h"
#include "send_plan.h"
#include "squelch_modes.h"

namespace {

using namespace kld;
using namespace kld::fuzz;

enum Kind { kOpenFile, kKvs220, kListing, kOldFile, kCsvPlan, kDataFile, kSettings };

// Reads the file as a `kind`, then ends as a load ends; false when nothing was loaded.
bool Load(int kind, std::uint8_t setup, std::span<const std::uint8_t> file, ChannelMemory& memory,
          ProgramState& state, Operator& op) {
    switch (kind) {
        case kKvs220:
        case kListing:
        case kOldFile:
            ClearMemory(memory);  // as the open leaves it for the reader
            if ((kind == kKvs220    ? ImportKvs220List
                 : kind == kListing ? ImportTextListing
                                    : ImportOldChannelFile)(file, memory, op)) {
                return false;
            }
            break;
        case kCsvPlan: {
            const Result<CsvImport> plan = ImportCsv(file, memory);
            if (!plan) {
                // A refusal a line, each naming its line first (a quoted cell may hold a line end).
                Require(
                    plan.Error().detail.starts_with("Line ") && plan.Error().detail.ends_with('\n'),
                    "a refused plan says why, line by line");
                return false;
            }
            break;
        }
        case kDataFile: {
            ClearMemory(memory);
            LoadNativeRecords(file, memory);
            // Saved again, the records are the file's bytes, a short file's missing end zeros.
            std::string records(AsText(file.data(), std::min(file.size(), kDataFileBytes)));
            records.resize(kDataFileBytes);
            Require(
                EncodeDataFile(memory, state).substr(kHeaderBytes) == records.substr(kHeaderBytes),
                "a loaded data file saved again gives back its records byte for byte");
            break;
        }
        case kSettings: {
            // Start-up with the file as KLD540.ini, after a command line (a length byte and its
            // text). Bit 0 puts the debug marker file beside it; bit 1 makes it the desktop
            // program's start, which writes a refused file afresh, else the command-line tool's.
            Input in(file.data(), file.size());
            const std::string_view commandLine = in.Text();
            const std::filesystem::path& folder = ScratchFolder("open");
            std::ofstream(folder / kSettingsFileName, std::ios::binary) << in.Rest();
            std::error_code ec;
            std::filesystem::remove(folder / kDebugMarkerName, ec);
            if (setup & 1) {
                std::ofstream(folder / kDebugMarkerName).flush();
            }
            memory.Saved = false;
            PrepareMemory(memory, state, commandLine, folder,
                          setup & 2 ? SettingsUse::CreateWhenMissing : SettingsUse::ReadOnly);
            Require(state.DebugMode == (setup & 1) && memory.Saved && state.MemoryStamp == kNoStamp,
                    "start-up follows the marker file, and leaves the memory saved, unstamped");
            Require(memory.PortNumber == memory.Rec(kDefaultRecord).RFRec &&
                        (memory.EnabledModes == 0 ||
                         (memory.EnabledModes & ModeFlag(memory.Rec(kDefaultRecord).Mode)) != 0),
                    "the port is the template's, and its mode enabled whenever a mode is");
            // Starting again with the file as the first start left it gives the same memory.
            ChannelMemory again;
            ProgramState againState;
            PrepareMemory(again, againState, commandLine, folder, SettingsUse::ReadOnly);
            Require(SameRecords(again, memory) && againState.Header == state.Header,
                    "a second start gives the same memory");
            return true;  // start-up runs no memory check
        }
        default: {
            const Result<Opened> opened = OpenChannelData(file, memory, state, op);
            return opened && *opened == Opened::Loaded;
        }
    }
    FinishOpen(memory, state, op);
    return true;
}

// Whether a channel holds only what a plan can name, by the editor's rules a plan's cells pass:
// frequencies on the raster, squelch modes its mode offers, talk groups and NACs with nothing
// past their digits, a description without control characters, a list below the guards' or,
// for a shadow, a primary with its frequencies. (The memory check and the send pass them all.)
bool Plannable(const ChannelMemory& memory, int index) {
    const ChannelRecord& r = memory.Rec(index);
    const ChannelRecord& p = memory.Rec(IsOrdinaryChannel(r.Prim) ? r.Prim : index);
    const SquelchLists offered = SquelchListsFor(r.Mode, r.IsShadow());
    const std::string past = r.RTG.Str().substr(4) + r.TTG.Str().substr(4) +
                             r.RNAC.Str().substr(3) + r.TNAC.Str().substr(3);
    const auto printable = [](unsigned char c) { return c >= 0x20 && (c < 0x7F || c >= 0xA0); };
    return !r.IsDefined() || r.IsErased() ||
           (SquelchPosition(offered.rx, r.RSql) && SquelchPosition(offered.tx, r.TSql) &&
            Trim(past).empty() && std::ranges::all_of(r.Desc.View(), printable) &&
            AcceptedFrequency(DisplayFrequency(r.RFrq.View())) &&
            AcceptedFrequency(DisplayFrequency(r.TFrq.View())) &&
            (r.IsShadow()
                 ? IsOrdinaryChannel(index) && &p != &r && p.IsDefined() && !p.IsErased() &&
                       !p.IsShadow() && p.RFrq == r.RFrq && p.TFrq == r.TFrq
                 : index > kLastOrdinaryChannel || ZoneOf(r.Scan) < kGuardZone));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int kind = (data[0] >> 3) & 7;
    ChannelMemory memory = StartMemory();
    memory.Rec(9) = memory.Rec(kFirstChannel);  // something the load must reset
    ++memory.ZoneCounts[0];
    const ChannelMemory given = memory;
    ProgramState state;
    state.MemoryStamp = (data[0] & 2) != 0 ? "20240229235959" : kNoStamp;
    state.RxShadowCount = (data[0] & 4) != 0 ? 1 : 0;
    const std::string stamp = state.MemoryStamp;
    AnsweringOperator op((data[0] & 1) != 0);
    if (!Load(kind, data[0], {data + 1, size - 1}, memory, state, op)) {
        const ChannelMemory& left = kind == kCsvPlan ? given : StartMemory();
        Require(SameRecords(memory, left) && memory.ZoneCounts == left.ZoneCounts &&
                    state.MemoryStamp == stamp,
                "a file not loaded leaves the stamp, and the memory reset (a plan: as it was)");
        return 0;
    }
    Require(memory.Rec(kRecordSlots - 1) == given.Rec(kRecordSlots - 1) &&
                memory.Current == kFirstChannel && (kind != kCsvPlan || op.invalidData == 0),
            "a load leaves the spare record, channel 1 current, and a plan no invalid data");
    CheckZoneCounts(memory, op.invalidData == 0);
    const bool shadows =
        state.RxShadowCount != 0 || std::any_of(memory.Records.begin(), memory.Records.end() - 1,
                                                [](const auto& r) { return r.IsShadow(); });
    Require(state.MemoryStamp == (shadows || kind == kSettings ? std::string(kNoStamp) : stamp),
            "a memory stamp survives a load only without shadows");
    CheckViews(memory);
    // Select All, Clear All and each record's box change only send flags, and each box shows what
    // it was clicked to; erasing a radio's channel twice gives it back as it was, and erasing a
    // channel made here keeps the lists counted. So a comparison with the memory as loaded finds
    // only the channels made here that are gone, and the shadow slots they freed. Compared with the
    // reset memory, each field that differs is shown with its two values apart.
    ChannelMemory listed = memory;
    SelectAllDefined(listed);
    ClearAllSelections(listed);
    AnsweringOperator clicker;
    for (int index = 0; index <= kLastRecord; ++index) {
        const int top = index - index % kSelectionBoxes;
        const int box = BoxState(listed.Rec(index));  // a grey box stays grey: an erase mark
        const int click = box == kBoxGrey ? box : kBoxTicked - box;
        Require(SetSelectionFromBox(listed, top, index % kSelectionBoxes, click) &&
                    SelectionBoxStates(listed, top)[index % kSelectionBoxes] == click,
                "a clicked box shows the state it was clicked to");
        const ChannelRecord record = listed.Rec(index);
        // The box made it Current.
        const EraseResult erased = EraseOrUneraseCurrent(listed, clicker);
        if (erased == EraseResult::MarkToggled) {
            Require(listed.Rec(index).IsErased() != record.IsErased() &&
                        EraseOrUneraseCurrent(listed, clicker) == EraseResult::MarkToggled &&
                        listed.Rec(index) == record,
                    "an erase mark toggled twice leaves the record as it was");
        }
        if (erased == EraseResult::Removed) {
            CheckZoneCounts(listed);
        }
    }
    Require(std::ranges::all_of(
                CompareMemories(memory, listed),
                [](const auto& row) { return row.field == "Defined" || row.field == "Shadows"; }),
            "list operations change no field but a removed channel's and its primary's");
    const std::vector<FieldDifference> rows = CompareMemories(StartMemory(), memory);
    Require(std::ranges::none_of(rows, [](const auto& row) { return row.inA == row.inB; }) &&
                (rows.empty() || DiffText(rows).starts_with("Chan")) &&
                TogglePurge(state) == "UnPurge" && TogglePurge(state) == "Purge",
            "differences show two values apart under a heading; the purge button switches back");
    // The plan of a memory the program takes for sound (the memory check finds no invalid data,
    // every channel can be sent and named in a plan) imports again; a plan's memory exports as the
    // same plan. (Start-up runs no memory check, so the check runs here on a copy.)
    ChannelMemory checked = memory;
    AnsweringOperator quiet(false);
    CheckMemory(checked, quiet);
    bool sound = quiet.invalidData == 0 && UnsendableChannels(memory).empty();
    for (int index = 0; sound && index <= kLastRecord; ++index) {
        sound = Plannable(memory, index);
    }
    const std::string csv = ExportCsv(memory);
    ChannelMemory again = memory;
    Require((!(sound || kind == kCsvPlan) || ImportCsv(AsBytes(csv), again).Ok()) &&
                (kind != kCsvPlan || ExportCsv(again) == csv),
            "a plan this program exported imports again, and a plan's memory exports as that plan");
    return 0;
}
