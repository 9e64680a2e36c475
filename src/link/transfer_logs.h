#pragma once

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kld {

// "KLD-540.log": every line a transfer sends and receives, written in debug mode only.
class TransferLog {
  public:
    // Recreates the file. False when it cannot be written.
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return out_.is_open(); }
    // False once a write failed (a full disk, say).
    bool Good() const { return !out_.is_open() || out_.good(); }

    void Sent(std::string_view command);         // the command and CR LF
    void Received(std::string_view lineWithCr);  // the line as it came and LF
    void Note(std::string_view text);            // a status text and CR LF
    void Raw(std::string_view bytes);            // bytes as they are

  private:
    std::ofstream out_;
};

// A name the radio sends for its text log is only used when it is a plain file name: no path
// separators, no "..", nothing a file name cannot hold. The radio must never write outside Logs.
bool IsSafeLogName(std::string_view name);

// "05-Mar-2021, 15:30:12".
std::string FormatLogDate(const std::tm& time);

// The radio's text log, "Logs/<name>.txt", written in debug mode by the highest-level radios.
class RadioTextLog {
  public:
    // Recreates Logs/<name>.txt under folder with its date line. Leaves the log closed when the
    // name is unsafe or the file cannot be written (the Logs folder is never created).
    void Open(const std::filesystem::path& folder, std::string_view name, const std::tm& now);
    void Line(std::string_view text);
    void Close();
    bool IsOpen() const { return out_.is_open(); }

  private:
    std::ofstream out_;
};

}  // namespace kld
