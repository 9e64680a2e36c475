#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "file_io.h"

namespace kld {

// "KLD-540.log": every line a transfer sends and receives, written in debug mode only. The new
// log replaces the old one when it is closed; until then the old one stays as it was.
class TransferLog {
  public:
    // Starts a new log (closing any open one first). The failure when it cannot be written.
    std::optional<Failure> Open(const std::filesystem::path& path);
    // Puts the log in place, when one is open. The failure when that failed.
    std::optional<Failure> Close();
    bool IsOpen() const { return out_.IsOpen(); }
    // False once a write failed (a full disk, say).
    bool Good() const { return !out_.IsOpen() || out_.Good(); }
    // Why opening, writing or closing failed.
    const std::optional<Failure>& Failed() const { return out_.Failed(); }

    void Sent(std::string_view command);         // the command and CR LF
    void Received(std::string_view lineWithCr);  // the line as it came and LF
    void Note(std::string_view text);            // a status text and CR LF
    void Raw(std::string_view bytes);            // bytes as they are

  private:
    SafeFileWriter out_;
};

// A name the radio sends for its text log is only used when it is a plain file name: no path
// separators, no "..", nothing a file name cannot hold. The radio must never write outside Logs.
bool IsSafeLogName(std::string_view name);

// "05-Mar-2021, 15:30:12".
std::string FormatLogDate(const std::tm& time);

// The radio's text log, "Logs/<name>.txt", written in debug mode by the highest-level radios.
class RadioTextLog {
  public:
    // Starts Logs/<name>.txt under folder with its date line; it replaces the old one on Close.
    // Leaves the log closed when the name is unsafe or the file cannot be written (the Logs
    // folder is never created).
    void Open(const std::filesystem::path& folder, std::string_view name, const std::tm& now);
    void Line(std::string_view text);
    // Puts the log in place, when one is open. Its failure stops nothing: the log is the
    // radio's courtesy.
    void Close();
    bool IsOpen() const { return out_.IsOpen(); }

  private:
    SafeFileWriter out_;
};

}  // namespace kld
