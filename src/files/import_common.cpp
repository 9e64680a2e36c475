#include "import_common.h"

#include <cmath>

#include "characters.h"
#include "codecs.h"
#include "file_messages.h"

namespace kld::import {

namespace {

// Whether a text (blanks around it allowed) is a decimal number and nothing else: a sign, digits
// with at most one point, and an exponent with digits.
bool IsPlainNumber(std::string_view text) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < t.size() && IsDigit(t[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == t.size();
}

}  // namespace

std::string_view LineContent(const std::string& line) {
    std::string_view content = line;
    if (!content.empty() && (content.back() == '\n' || content.back() == '\0')) {
        content.remove_suffix(1);
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
        }
    }
    return content;
}

bool IsBlankLine(std::string_view content) {
    return content.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view Columns(std::string_view content, int first, int last) {
    const auto begin = static_cast<std::size_t>(first - 1);
    if (first < 1 || last < first || begin >= content.size()) {
        return {};
    }
    return content.substr(begin, static_cast<std::size_t>(last - first + 1));
}

char ColumnChar(std::string_view content, int column) {
    const std::string_view c = Columns(content, column, column);
    return c.empty() ? '\0' : c.front();
}

double Num(std::string_view text) {
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            packed += c;
        }
    }
    return LeadingNumber(packed);
}

std::int16_t WholeInt16(double value) {
    const double whole = std::nearbyint(value);
    if (!(whole >= -32768.0)) {
        return -32768;
    }
    if (whole > 32767.0) {
        return 32767;
    }
    return static_cast<std::int16_t>(whole);
}

std::string ImportedFrequency(std::string_view text) {
    if (!IsPlainNumber(text)) {
        return std::string(text);
    }
    return FormatThreeDigits(LeadingNumber(Trim(text)), 4);
}

ChannelImport::ChannelImport(ChannelMemory& memory)
    : memory_(memory), before_(memory.Records.begin(), memory.Records.end()) {}

bool ChannelImport::Counted(int index) const {
    const ChannelRecord& r = memory_.Rec(index);
    return index != kDefaultRecord && r.IsDefined() && !r.IsShadow();
}

void ChannelImport::Uncount(int index) {
    if (Counted(index)) {
        auto& count = memory_.ZoneCounts[static_cast<std::size_t>(ZoneOf(memory_.Rec(index).Scan))];
        if (count > 0) {
            --count;
        }
    }
}

void ChannelImport::Count(int index) {
    if (Counted(index)) {
        ++memory_.ZoneCounts[static_cast<std::size_t>(ZoneOf(memory_.Rec(index).Scan))];
    }
}

ChannelRecord& ChannelImport::Begin(int index) {
    Uncount(index);
    ChannelRecord& r = memory_.Rec(index);
    r = memory_.Rec(kDefaultRecord);
    r.Select = kSelDefined | kSelCreatedHere | kSelSend;
    r.Chnl = static_cast<std::int16_t>(index);
    r.EFlags = 32;
    r.RFRec = 0;
    return r;
}

void ChannelImport::PlaceGuard(int index) {
    memory_.Rec(index).Scan = index == kGuard1 ? kGuard1Scan : kGuard2Scan;
    ++memory_.ZoneCounts[kGuardZone];
}

bool ChannelImport::PlaceInZone(int index, int zone) {
    if (zone < 0 || zone >= kZoneCount ||
        memory_.ZoneCounts[static_cast<std::size_t>(zone)] >= kMaxChannelsPerZone) {
        return false;
    }
    memory_.Rec(index).Scan = ScanOfZone(zone);
    if (index != kDefaultRecord) {
        ++memory_.ZoneCounts[static_cast<std::size_t>(zone)];
    }
    return true;
}

void ChannelImport::PlaceInFirstFreeZone(int index, int first) {
    for (int zone = first; zone < kGuardZone; ++zone) {
        if (PlaceInZone(index, zone)) {
            return;
        }
    }
    // No list has room: the channel stays in the default record's list and counts there, so the
    // counts still say what the records hold and the memory check reports the list as too full.
    Count(index);
}

void ChannelImport::Restore(int index) {
    Uncount(index);
    memory_.Rec(index) = before_[static_cast<std::size_t>(index)];
    Count(index);
}

Failure ChannelImport::Fail(std::string why) {
    memory_.Rec(kDefaultRecord) = before_[kDefaultRecord];
    ClearMemory(memory_);
    return ReadFailure(std::move(why) + " Nothing was loaded: the memory is reset.");
}

}  // namespace kld::import
