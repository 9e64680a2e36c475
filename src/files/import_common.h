#pragma once

// What the three older-file readers share: reading columns and numbers out of text lines, the
// imported frequency format, and the rules every imported channel goes through.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "data_file.h"
#include "failure.h"

namespace kld::import {

// A line as GetLine returns it, without its ending (the LF or NUL, and a CR before the LF).
// Line endings are no content: a file with bare LF endings, or a last line without one, reads
// exactly like one with CR LF, and no CR or LF ever lands in a record's text.
std::string_view LineContent(const std::string& line);

// True for a line with nothing but blanks in it; it names no channel.
bool IsBlankLine(std::string_view content);

// Columns first to last (1-based, inclusive) of a line's content. Columns past the end of a
// short line are missing: the text is cut short or empty.
std::string_view Columns(std::string_view content, int first, int last);
// One column's character, or NUL when the line is too short to have it.
char ColumnChar(std::string_view content, int column);

// The leading decimal number of a text with every blank in it skipped ("1 2" reads 12), 0 when
// there is none. The old files were read this way, so columns padded or split by spaces read as
// the numbers they were meant to be.
double Num(std::string_view text);

// A number rounded to the nearest whole (halves to even), held within 16 bits.
std::int16_t WholeInt16(double value);

// A frequency text in the form records hold: a number is written "000.0000" (at least three
// integer digits, four decimals); a text that is not a number is kept as it is.
std::string ImportedFrequency(std::string_view text);

// Writes channels from an older file into a reset memory under the rules they all share, and
// keeps ZoneCounts equal to the number of defined non-shadow channels in each zone throughout:
// a channel replacing one that was counted (Main, the guards, or an earlier line for the same
// number) takes that count away first. Record 0 is never counted, as everywhere else.
class ChannelImport {
  public:
    explicit ChannelImport(ChannelMemory& memory);

    // Starts channel `index` (0..232): a copy of the default record marked defined, created here
    // and selected, with Chnl, EFlags and RFRec set.
    ChannelRecord& Begin(int index);

    static bool IsGuard(int index) { return index == kGuard1 || index == kGuard2; }
    // A guard goes to the guards' zone, with its own Scan value there.
    void PlaceGuard(int index);
    // Puts the channel into `zone` when that is a zone (0..15) holding fewer than 16 channels.
    bool PlaceInZone(int index, int zone);
    // The lowest zone from `first` up to the guards' zone (not included) with room. When none has
    // room the channel keeps the default record's Scan and is counted in that zone, however full
    // it is.
    void PlaceInFirstFreeZone(int index, int first);

    // Puts a channel back the way it was before the import started.
    void Restore(int index);

    // The read failure: the memory reset (from the default record as it was before the import)
    // and "Error reading file.", with `why` as its detail.
    Failure Fail(std::string why);

    ChannelMemory& Memory() { return memory_; }

  private:
    bool Counted(int index) const;
    void Uncount(int index);
    void Count(int index);

    ChannelMemory& memory_;
    std::vector<ChannelRecord> before_;
};

}  // namespace kld::import
