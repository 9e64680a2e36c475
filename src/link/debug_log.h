#pragma once

#include <string>
#include <string_view>

namespace kld {

// Renders the radio's debug-log lines (kind "1" frames without checksum) into the text of
// "KVRX-540_Dbg.log": for each line a row of received and a row of transmitted characters,
// aligned in time, control characters as <hex>, framed messages on lines of their own.
class DebugLogRenderer {
  public:
    // Renders one line; returns the bytes to append to the file (lines end in CR LF).
    std::string Line(std::string_view frame);
    // The end of the log: a message still open is written out.
    std::string Finish();
    // The progress bar value (0 to maximum) for a line's address.
    static int ProgressFor(std::string_view frame, int maximum);

  private:
    std::string rxLine_;
    std::string txLine_;
    bool msgMode_ = false;
};

}  // namespace kld
