#pragma once

// Channel plans as comma-separated text for spreadsheets, and CHIRP's CSV for analog channels.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "failure.h"

namespace kld {

// The columns of a plan this program writes, in the order it writes them.
inline constexpr std::array<std::string_view, 19> kCsvColumns{
    "Channel",     "Description", "List",   "Scan",   "Mode",   "RxFrequency", "TxFrequency",
    "RxSquelch",   "TxSquelch",   "RxTone", "TxTone", "RxDCS",  "TxDCS",       "RxTalkGroup",
    "TxTalkGroup", "RxNAC",       "TxNAC",  "IDCall", "Primary"};

// The plan of a memory: the header row, then a row for every defined channel 0 to 232 that is
// not waiting to be erased, in record order. Channels are named as the channel box names them
// (DEF, 001 to 230, GD1, GD2), squelch modes by the names their lists show, tones in Hz
// ("100.0"), DCS codes with three digits ("023"), frequencies with five decimals. Every field a
// record keeps is written, also a tone the squelch mode does not use, so a plan reads back to
// the same channels. List and Scan are blank for shadows and the guards, Primary for all but
// shadows. UTF-8 (the records' Latin-1 text converted), quoted where RFC 4180 needs it, CR LF.
std::string ExportCsv(const ChannelMemory& memory);

// A row of a plan left out, with every reason it could not be used.
struct CsvSkippedRow {
    int line = 0;
    std::vector<std::string> reasons;  // "Line N, column NAME: reason" or "Line N: reason"

    friend bool operator==(const CsvSkippedRow&, const CsvSkippedRow&) = default;
};

// A plan loaded.
struct CsvImport {
    bool chirp = false;  // the header was CHIRP's
    int channels = 0;    // rows loaded
    int rows = 0;        // the plan's rows, blank ones aside
    // Rows left out (CsvRows::SkipUnusable only), in line order.
    std::vector<CsvSkippedRow> skipped;
    // Cells taken otherwise than written, a line each: descriptions cut to eight characters.
    std::vector<std::string> warnings;
};

// What becomes of a plan with refused rows.
enum class CsvRows {
    AllOrNothing,  // any refusal refuses the whole plan
    // A row with any refusal is left out (listed in CsvImport::skipped) and the rest imported.
    // So is a shadow whose primary's row is left out. Nothing in a row is guessed or repaired.
    SkipUnusable,
};

// Reads a plan (this program's columns, or CHIRP's when the header has a Location column).
// Each row's channel is built as the editor would store it: a copy of the template (record 0)
// with the row's cells, each judged by the editor's rules. Records without a row keep what a
// reset gives them (Main and the two guards stay), shadows are linked to their primaries as the
// text listing import links them, and no list takes more than 16 channels.
//
// When anything is refused, the failure's detail has a line for each refused cell ("Line N,
// column NAME: reason") or row ("Line N: reason"), and `memory` is left exactly as it was.
// With CsvRows::SkipUnusable only a header that cannot be read, text that cannot be split into
// rows, or a plan with refused rows and none usable fails so.
// When loaded, `memory` holds the plan and is unsaved; the caller ends the load as an open does
// (FinishOpen: the memory check, channel 1).
Result<CsvImport> ImportCsv(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                            CsvRows refusedRows = CsvRows::AllOrNothing);

// The reasons of the skipped rows, a line each, as the refusals are listed.
std::string SkippedRowsText(const CsvImport& plan);

// At most this many refusals are listed; a last line counts the rest.
inline constexpr std::size_t kMaxCsvRefusals = 1000;

}  // namespace kld
