#include "debug_log.h"

#include <algorithm>

#include "codecs.h"

namespace kld {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr long long kBlockAddresses = 8192;
constexpr char kMsgStart = 2;
constexpr char kMsgEnd = 3;

// Characters first..first+count-1 (1-based) of text, as far as the text reaches: a short line
// from the radio renders what it has.
std::string_view Chars(std::string_view text, std::size_t first, std::size_t count) {
    if (first == 0 || first > text.size()) {
        return {};
    }
    return text.substr(first - 1, count);
}

long long AddressOf(std::string_view frame) {
    return HexValue(Chars(frame, 5, 4));
}

std::string Shown(int c) {
    if (c >= 32 && c <= 126) {
        return std::string(1, static_cast<char>(c));
    }
    return "<" + HexPair(static_cast<std::uint8_t>(c)) + ">";
}

void PadTo(std::string& line, const std::string& other) {
    if (line.size() < other.size()) {
        line.append(other.size() - line.size(), ' ');
    }
}

}  // namespace

std::string DebugLogRenderer::Line(std::string_view frame) {
    std::string out;
    const bool header = AddressOf(frame) % kBlockAddresses == 0;
    const std::size_t start = header ? 9 : 5;
    if (header) {
        out += kLineEnd;
        out += "Error Code = $";
        out += Chars(frame, 9, 4);
        out += "  Insert Ptr = $";
        out += Chars(frame, 13, 4);
        out += kLineEnd;
        msgMode_ = false;
    }

    const std::string prefix = ":" + std::string(Chars(frame, 5, 4)) + ": ";
    int previous = 0;
    if (!msgMode_) {
        rxLine_ = "Rx" + prefix;
        txLine_ = "Tx" + prefix;
    }

    for (std::size_t k = start; k <= frame.size() / 2; ++k) {
        const int b = static_cast<int>(HexValue(Chars(frame, 2 * k - 1, 2)) & 0xFF);
        const int c = b & 0x7F;
        if (msgMode_) {
            if (c == kMsgEnd) {
                out += rxLine_;
                out += kLineEnd;
                msgMode_ = false;
                rxLine_ = "Rx" + prefix;
                txLine_ = "Tx" + prefix;
            } else {
                rxLine_ += static_cast<char>(c);
            }
            continue;
        }
        if (c == kMsgStart) {
            // The message starts clean: the byte before the 2 is already on its own line.
            out += rxLine_;
            out += kLineEnd;
            out += txLine_;
            out += kLineEnd;
            msgMode_ = true;
            rxLine_ = "Msg: ";
        } else if (c != 0) {
            if ((b & 0x80) != 0) {
                // An echo of the character just transmitted stays under it rather than
                // being pushed past it.
                if (c != previous) {
                    PadTo(rxLine_, txLine_);
                }
                rxLine_ += Shown(c);
            } else {
                PadTo(txLine_, rxLine_);
                txLine_ += Shown(c);
            }
        }
        previous = c;
    }

    if (!msgMode_) {
        out += rxLine_;
        out += kLineEnd;
        out += txLine_;
        out += kLineEnd;
    }
    return out;
}

std::string DebugLogRenderer::Finish() {
    if (!msgMode_) {
        return {};
    }
    msgMode_ = false;
    return rxLine_ + std::string(kLineEnd);
}

int DebugLogRenderer::ProgressFor(std::string_view frame, int maximum) {
    // The bar runs from empty to full across each block of the log.
    const long long step = (AddressOf(frame) / 32) & 0xFF;
    return static_cast<int>(std::min<long long>(maximum, step * maximum / 255));
}

}  // namespace kld
