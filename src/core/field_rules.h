#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "channel_memory.h"
#include "codecs.h"
#include "operator.h"

namespace kld {

// How many characters each box of the editor and its dialogs takes; typing and pasting stop there.
inline constexpr int kChannelBoxChars = 3;
inline constexpr int kDescChars = 8;
inline constexpr int kFrequencyChars = 9;
inline constexpr int kTalkGroupChars = 4;
inline constexpr int kNacChars = 3;
inline constexpr int kIdCallChars = 7;
inline constexpr int kSquelchValueChars = 2;  // the noise squelch dialog's box
inline constexpr int kShadowBoxChars = 3;     // the shadow dialog's two boxes

// The band the frequency boxes take, in MHz, both ends included.
inline constexpr float kLowestMhz = 136.0f;
inline constexpr float kHighestMhz = 174.0f;

// A number the operator typed (channel box, primary, shadow, squelch level, iteration count),
// read as the leading number of the text and rounded to a whole number (halves to the even
// neighbour). Text that holds no number is 0. A number that does not fit a signed 16-bit
// integer is none: it is out of range, never wrapped round into a valid-looking one.
std::optional<int> ParseTyped16(std::string_view text);

// A number written with at least three digits ("000"): 5 is "005", 1000 stays "1000".
std::string Format000(int value);

// --- Channel box ---------------------------------------------------------------------------

// The text of the channel box for a record: "DEF", "GD1", "GD2", else three digits.
std::string ChannelBoxText(int index);
// The record a named label stands for: "DEF" 0, "GD1" 231, "GD2" 232; none for anything else.
std::optional<int> RecordOfName(std::string_view label);

// Key rule of the channel box: digits and D, E, F, G (made upper case) pass, anything else is
// swallowed without a beep; the box is trimmed on every key but backspace.
DigitKeyResult ChannelKeyRule(int key, std::string_view fieldText);

// Leave rule of the channel box: the record the text names ("DEF", "GD1", "GD2" exactly, or
// 1 to 230). None after a beep when it names no record; Current must then stay as it is.
std::optional<int> ChannelLeaveRule(std::string_view text, Operator& op);

// The channel the editor moves to after a store: 230 -> 231, 232 -> 1, 0 -> 1.
int NextChannel(int current);

// --- Frequencies ---------------------------------------------------------------------------

// Key rule of the frequency boxes. `pos` is the one-based position where the key would go.
// Returns the key, or 0 after a beep.
int FrequencyKeyRule(int key, int pos, Operator& op);

// The leave rule's verdict on one frequency text, without any message.
struct FrequencyVerdict {
    std::string text;  // the box's text afterwards: "000.00000" when in range, else as typed
    bool inRange = false;
    bool onRaster = false;  // on the 2.5 kHz or 6.25 kHz raster (implies inRange)
};
FrequencyVerdict JudgeFrequency(std::string_view text);

// Why the leave rules refuse a frequency text and what to type instead, for a technician: out
// of band by how much, or off the raster and how far from its nearest points. Empty for a text
// they accept.
std::string FrequencyAdvice(std::string_view text);

// The two frequency boxes and the simplex/duplex choice, as the leave rules see them.
struct FrequencyFields {
    std::string rx;
    std::string tx;
    bool simplex = true;  // Sx chosen; Dx otherwise
};

// Leave rules of RFrq and TFrq. They rewrite the box and return Cancel: true keeps the focus in
// the box, after a beep and "Invalid Rx Frequency" / "Invalid Tx Frequency" (with the
// FrequencyAdvice as its detail). With Sx chosen the
// receive rule copies its in-range text into the transmit box, on the raster or not.
bool LeaveRxFrequency(FrequencyFields& fields, Operator& op);
bool LeaveTxFrequency(FrequencyFields& fields, Operator& op);

// The first step of a store: the receive box, and in duplex also the transmit box, must pass
// their leave rules. A failing box shows its own message and then "Rx Frequency not valid" /
// "Tx Frequency not valid"; both boxes are always checked.
bool CheckFrequencies(FrequencyFields& fields, Operator& op);

// The stored frequency as the box shows it: five decimals, with the 6.25 kHz raster's fifth
// decimal (5 after a fourth decimal of 2 or 7) that the record does not keep.
std::string DisplayFrequency(std::string_view stored);

// --- Talk groups, NACs and ID calls --------------------------------------------------------

// Leave rules: blanks dropped, then left-padded with zeros, the last 4 (talk group) or
// 3 (NAC) characters kept.
std::string CompleteTalkGroup(std::string_view text);
std::string CompleteNac(std::string_view text);

// The ID call box's text written back by a store: the typed number with seven digits.
std::string IdCallDigits(std::string_view text);
// The seven digits packed into the record's elements 0 to 3 (element 4 is left alone).
void PackIdCall(std::string_view digits, std::array<std::int16_t, 5>& idCall);
// The seven digits the ID call box shows for the record's elements.
std::string IdCallText(const std::array<std::int16_t, 5>& idCall);

}  // namespace kld
