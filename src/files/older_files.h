#pragma once

// Imports of the file kinds that came before the channel data file: KVS-220 channel lists,
// text listings written by "Print to File", and the old headerless binary channel file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "channel_memory.h"
#include "data_file.h"
#include "failure.h"
#include "operator.h"

namespace kld {

// Reads a file's bytes one line at a time, a byte at a time, the way all text imports do.
class LineSource {
  public:
    explicit LineSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next line with its ending: everything up to and including the first LF or NUL.
    // Past the end of the data every byte reads as NUL, so a last line without an ending comes
    // back closed by a NUL, and a line that starts with NUL marks the end.
    std::string GetLine();

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// True for the line GetLine returns at the end of the data (or for an embedded NUL that starts
// a line, which ends reading the same way).
inline bool IsEndLine(const std::string& line) {
    return line.empty() || line[0] == '\0';
}

enum class OlderKind { Kvs220List, TextListing, Unknown };

// The kind of a file that failed the native header test, judged by its first four lines.
OlderKind RecogniseOlderFile(std::span<const std::uint8_t> bytes);

// Shown once after a text listing whose shadow lines could not all be linked.
inline Message FormatErrorMessage() {
    return {"Format errors in file - Not all data was loaded", "Format Error", Icon::Warning,
            Buttons::Ok};
}

// The readers. Each expects the memory as OpenChannelFile leaves it (reset) and returns none
// when the file is loaded, or "Error reading file." after resetting the memory again. A file
// that names a channel outside the records files carry (0 to 232) fails the read. A text listing
// whose shadow lines could not all be linked says so (FormatErrorMessage) before it returns.
std::optional<Failure> ImportKvs220List(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                                        Operator& op);
std::optional<Failure> ImportTextListing(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                                         Operator& op);
std::optional<Failure> ImportOldChannelFile(std::span<const std::uint8_t> bytes,
                                            ChannelMemory& memory, Operator& op);

// Reads a file that failed the native header test into a reset memory, recognising its kind by
// content. Unrecognised content asks the operator whether to try it as an old headerless file;
// No returns Declined and leaves the memory alone.
Result<Opened> ImportOlderFile(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                               Operator& op);

}  // namespace kld
