#pragma once

// The KVRX-540's side of the wire protocol, for the tests and for kvrx540-sim.
//
// The program writes lines ending in CR; the radio answers each with at most one line, with its
// checksum and a CR. Frames below are shown without checksum:
//
//   T0070000 CC VVVVVV   opening request: refused (T204000001) while CC - 0x20 is below the
//                        protocol level, so a resent request gets the same answer; accepted
//                        (T204000000) from then on. The line speed is 9600 again.
//   T2060000320480       speed change: accepted at 9600, then the line runs at 115200
//   T204000033           T205000033 MM, the enabled modes
//   T204000031           the text log: its name as a T1 line, then one line per T204000000, then
//                        T9030000 (at once when the radio keeps no text log)
//   T204000022           T207000023 VVVVVV, the radio's version
//   T204000020           T20B000021 + the 14-digit memory stamp
//   T20B000021 + digits  stores the stamp; accepted
//   T204000025           send begins: accepted; then record frames T143... are stored and
//                        accepted (see SimFaults::corruptRecord), T20400 CC 10 erases
//                        channel CC (accepted), and T9030000 ends the send without an answer
//   T204000011           purge: every record undefined; accepted
//   T204000024           receive begins: accepted; each T204000000 then gets the next defined
//                        record (index order) as a record frame, and T9030000 after the last
//   T204000030           debug log begins: accepted; each T204000000 then gets the next log
//                        line, and T9030000 after the last
//   T204000001           the last line again
//   T204000000           outside a text log, receive or debug log: accepted
//   T9030000             ends whatever ran; no answer
//   anything else, a bad checksum, a record frame outside a send: T204000001
//
// A receive or debug log that has sent its T9030000, and a T9030000 from the program, put the
// line back to 9600. Line feeds are dropped, so a terminal sending CR LF works too; empty lines
// are ignored.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"

namespace kld::sim {

// A count meaning "every time".
inline constexpr int kAlways = -1;

inline constexpr int kSlowRate = 9600;
inline constexpr int kFastRate = 115200;

// Misbehaviour on request. "For" fields name the program's line the fault applies to by its
// start ("T204000011" for the purge, "T1" for record frames); empty means every line.
struct SimFaults {
    // Busy answers (T204000002) before each real answer.
    int busyAnswers = 0;
    std::string busyFor;
    // Lines of garbage ("xyz") before each real answer.
    int garbageLines = 0;
    std::string garbageFor;
    // Real answers sent with a wrong checksum: this many of them, or kAlways.
    int badChecksums = 0;
    std::string badChecksumFor;
    // The k-th record frame of a send (1 is the first; 0 none) is refused this many times
    // before it is taken; 2 makes the program give up.
    int refuseRecordFrame = 0;
    int refuseRecordTimes = 1;
    // A send's record frame for this record is stored with the first character of its
    // description changed, as a line fault the checksum missed would leave it.
    std::optional<int> corruptRecord;
    // During a receive, record frames go out with address 0x0100 instead of their own: this
    // many of them (a repeat request then gets the real one), or kAlways.
    int outOfRangeRecords = 0;
    // During a receive, the first record goes out as a frame longer than the program's buffer.
    bool overLongFrame = false;
    // No answers after this many lines from the program (0: none at all).
    std::optional<int> silentAfterLines;
    // The device disappears after this many lines from the program (answered first).
    std::optional<int> vanishAfterLines;
};

struct SimConfig {
    // How many opening requests are refused before one is accepted: 0, 1 or 2.
    int protocolLevel = 2;
    bool endlessRefusals = false;
    std::uint8_t enabledModes = kEnableWide | kEnableNarrow | kEnableDigital;
    std::string version = "021100";              // six hexadecimal digits
    std::string memoryStamp = "00000000000000";  // fourteen digits
    // The text log: none while the name is empty.
    std::string textLogName;
    std::vector<std::string> textLogLines;
    // Debug-log lines, each the four hexadecimal digits of the log address followed by the data
    // bytes in hexadecimal.
    std::vector<std::string> debugLog;
    SimFaults faults;
};

// Answer bytes and the line rate they go out at.
struct Burst {
    std::string bytes;
    int rate = kSlowRate;
};

class SimRadio {
  public:
    explicit SimRadio(SimConfig config = {});

    // Bytes from the program; complete lines are answered at once, a partial line waits.
    void Receive(std::string_view bytes);
    // Everything answered so far and not yet taken.
    std::string TakeOutput();
    // The same, split where the line rate changed.
    std::vector<Burst> TakeBursts();
    bool HasOutput() const { return !output_.empty(); }

    // 9600, or 115200 after an accepted speed change.
    int LineRate() const { return rate_; }
    // The vanish fault has struck: the radio takes no more bytes and sends nothing.
    bool Vanished() const { return vanished_; }
    int LinesReceived() const { return linesReceived_; }
    // Sends that reached their end frame.
    int CompletedSends() const { return completedSends_; }

    ChannelMemory& Memory() { return memory_; }
    const ChannelMemory& Memory() const { return memory_; }
    const std::string& MemoryStamp() const { return stamp_; }
    const SimConfig& Config() const { return config_; }

    // The memory from a channel data file (any kind the program opens). On failure the memory
    // is left blank and error says why.
    bool LoadFile(const std::filesystem::path& path, std::string& error);
    // The memory as a channel data file.
    bool SaveFile(const std::filesystem::path& path) const;

  private:
    enum class Stream { None, TextLog, Send, Receive, DebugLog };

    void HandleLine(const std::string& line);
    std::optional<std::string> Command(const std::string& body);
    std::optional<std::string> Next();
    std::optional<std::string> Repeat();
    std::string StoreRecord(const std::string& body);
    std::string NextRecord();
    void Emit(const std::string& line, const std::string& body);
    void Put(std::string_view bytes);
    void EndStream();

    SimConfig config_;
    SimFaults faults_;  // counts left
    ChannelMemory memory_;
    std::string stamp_;
    std::string partial_;
    std::vector<Burst> output_;
    int rate_ = kSlowRate;
    std::optional<int> pendingRate_;  // the rate once the current answer is out
    Stream stream_ = Stream::None;
    std::size_t cursor_ = 0;  // next text line, record index or debug line
    std::string lastLine_;
    std::optional<std::string> repeatLine_;  // what a repeat request gets instead of the last line
    int recordFrames_ = 0;                   // record frames of this send, resends not counted
    bool lastFrameRefused_ = false;
    int refusalsLeft_ = 0;
    int linesReceived_ = 0;
    int completedSends_ = 0;
    bool vanished_ = false;
};

// A blank memory, as a purged radio holds it: every record undefined.
void BlankMemory(ChannelMemory& memory);

}  // namespace kld::sim
