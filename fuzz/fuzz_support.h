#pragma once

// Shared by the fuzz targets: their input read a piece at a time, memories as the program starts
// or as a file or radio may leave them, operators answering as the input says, and the checks
// of what the program makes of any input. A failed check prints what it checked and aborts.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "channel_memory.h"
#include "data_file.h"
#include "field_rules.h"
#include "listings.h"
#include "memory_check.h"
#include "operator.h"
#include "record_layout.h"
#include "settings_file.h"
#include "summary.h"
#include "test_memory.h"

namespace kld::fuzz {

inline void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "\n==== fuzz check failed: %s\n", property);
        std::abort();
    }
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline std::span<const std::uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A target's input read from the front, a byte or a text at a time; past its end bytes are 0.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string_view Take(std::size_t length) {  // as many of them as there are
        const std::string_view text = AsText(data_ + pos_, std::min(length, size_ - pos_));
        pos_ += text.size();
        return text;
    }
    std::string_view Text() { return Take(Byte()); }  // a length byte, then the text
    std::string_view Rest() { return Take(size_); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Answers every question with Yes or OK, or with No or Cancel, and notes whether the memory
// check found invalid data.
class AnsweringOperator : public Operator {
  public:
    explicit AnsweringOperator(bool agree = true) : agree_(agree) {}
    Answer Ask(const Message& m) override {
        invalidData += m.title == InvalidDataMessage().title;
        return m.buttons == Buttons::Ok         ? Answer::Ok
               : m.buttons == Buttons::OkCancel ? (agree_ ? Answer::Ok : Answer::Cancel)
                                                : (agree_ ? Answer::Yes : Answer::No);
    }
    void Beep() override {}
    int invalidData = 0;

  private:
    bool agree_;
};

// The memory as start-up with default settings leaves it.
inline const ChannelMemory& StartMemory() {
    static const ChannelMemory start = test::ResetMemory();
    return start;
}

// A folder of this process's own for the files a target writes, on tmpfs when there is one (file
// saves flush to disk). libFuzzer ends without running destructors, so a run first removes the
// folders of runs whose process is gone; a crash's folder stays until then, for a look.
inline const std::filesystem::path& ScratchFolder(std::string_view target) {
    namespace fs = std::filesystem;
    struct Folder {
        fs::path path;
        ~Folder() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    };
    static const Folder folder = [target] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
        const std::string prefix = "kld540-" + std::string(target) + "-";
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(prefix) && kill(std::atoi(name.c_str() + prefix.size()), 0) != 0 &&
                errno == ESRCH) {
                fs::remove_all(entry.path(), ec);
            }
        }
        Folder f{base / (prefix + std::to_string(getpid()))};
        fs::create_directories(f.path);
        return f;
    }();
    return folder.path;
}

// Records 0 to 233 of two memories alike. Records have no padding, so their bytes are compared
// at once: comparing field by field was a tenth of some targets' time.
inline bool SameRecords(const ChannelMemory& a, const ChannelMemory& b) {
    static_assert(std::has_unique_object_representations_v<ChannelRecord>);
    return std::memcmp(a.Records.data(), b.Records.data(), sizeof a.Records) == 0;
}

// Zone counts as the records say they should be: defined channels 1 to 232 that are no shadows
// (and whose Select holds the bits `marked`).
inline std::array<std::int16_t, kZoneCount> Recount(const ChannelMemory& memory, int marked = 0) {
    std::array<std::int16_t, kZoneCount> counts{};
    for (int index = kFirstChannel; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        counts[static_cast<std::size_t>(ZoneOf(r.Scan))] +=
            r.IsDefined() && !r.IsShadow() && (r.Select & marked) == marked;
    }
    return counts;
}

// The editor offers lists by their counts, so counts that drift from the records let a list
// take a seventeenth channel or refuse its sixteenth. With `roomy` (no list started overfull and
// nothing made one so), no list may hold more than 16.
inline void CheckZoneCounts(const ChannelMemory& memory, bool roomy = false) {
    Require(memory.ZoneCounts == Recount(memory), "zone counts equal a recount of the records");
    Require(!roomy || std::ranges::max(memory.ZoneCounts) <= kMaxChannelsPerZone,
            "no list holds more than 16 channels");
}

// A memory as a data file or a radio may leave it, read from the input: a count byte (modulo 8),
// then that many records over the start-up memory, each an index byte (modulo 233) and the
// record's 106 bytes as a data file holds them. The lists are counted and the memory checked as
// a load does, with the radio's `modes` enabled and the operator answering `agree`.
inline ChannelMemory LoadedMemory(Input& in, bool agree,
                                  std::uint8_t modes = kEnableNarrow | kEnableDigital) {
    ChannelMemory memory = StartMemory();
    memory.EnabledModes = modes;
    for (int records = in.Byte() % 8; records > 0; --records) {
        ChannelRecord& r = memory.Rec(in.Byte() % (kLastRecord + 1));
        ByteSource source(AsBytes(in.Take(kRecordBytes)));
        r = ReadRecord(source);
    }
    memory.ZoneCounts = Recount(memory);
    AnsweringOperator op(agree);
    CheckMemory(memory, op);
    memory.Current = kFirstChannel;
    return memory;
}

// Whether the frequency boxes' leave rule takes `text` as it stands.
inline bool AcceptedFrequency(std::string_view text) {
    const FrequencyVerdict verdict = JudgeFrequency(text);
    return verdict.onRaster && verdict.text == text;  // on the raster is in range too
}

// Every control character but NUL, which ends the text for strcspn anyway.
inline constexpr char kControlChars[] =
    "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16"
    "\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f\x7f";

// The length of the line at `text` before its CR LF; aborts when the line holds any other
// control character or lacks its CR LF. (strcspn: a loop would be slowed by the fuzzer's tracing.)
inline std::size_t LineLength(const char* text, const char* property) {
    const std::size_t length = std::strcspn(text, kControlChars);
    Require(text[length] == '\r' && text[length + 1] == '\n', property);
    return length;
}

// The width of a record's summary line: a channel's, an undefined or an erased record's.
inline std::size_t SummaryWidth(const ChannelRecord& r) {
    return !r.IsDefined() ? 75 : r.IsErased() ? 73 : 86;
}

// One summary line, as the list shows it after a change to its record.
inline void CheckSummaryLine(const ChannelMemory& memory, int index) {
    const std::string line = SummaryLine(memory.Rec(index), index) + "\r\n";
    Require(LineLength(line.c_str(), "summary lines hold no control character") ==
                SummaryWidth(memory.Rec(index)),
            "every summary line has the width of its kind of record");
}

// The views of a whole memory. The listing: the headings, then one line per record of the width
// its kind has. The dump: the zone counts, then every record's 28 lines, each between its
// narrowest and its widest. The dump's characters are digits and labels whatever the records
// hold; scanning its 140 KB for control characters cost more than rendering it, so the listing
// gets that check.
inline void CheckViews(const ChannelMemory& memory) {
    const std::string listing = TextListing(memory);
    const char* line = listing.c_str();
    constexpr int kHeadings = kListingHeadings.size();
    for (int n = -kHeadings; n <= kLastRecord; ++n) {
        const std::size_t length =
            LineLength(line, "listing lines hold no control character and end in CR LF");
        Require(
            length == 1 + (n < 0 ? kListingHeadings[static_cast<std::size_t>(n + kHeadings)].size()
                                 : SummaryWidth(memory.Rec(n))),
            "every listing line has the width of its heading or its kind of record");
        line += length + 2;
    }
    Require(line == listing.c_str() + listing.size(), "the listing ends after record 232");
    static std::string dump;  // over 128 KiB: kept, so that no input pays for a fresh mapping
    dump.clear();
    AppendChannelDump(dump, memory);
    constexpr std::string_view kHead = "\r\n\r\n\r\n Zone Counts:\r\n";
    constexpr std::size_t kRecords = kLastRecord + 1;
    Require(dump.starts_with(kHead) && dump.ends_with("\r\n") &&
                dump.size() >= kHead.size() + 4 * 18 + kRecords * 586 &&
                dump.size() <= kHead.size() + 4 * 30 + kRecords * 640,
            "the dump has its zone counts and 28 lines for each record");
}

}  // namespace kld::fuzz
