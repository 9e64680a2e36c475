#include "older_files.h"

#include <array>
#include <string_view>

#include "file_messages.h"

namespace kld {

namespace {

// Whether `text` stands in `line` from 1-based column `column` on.
bool HasAt(const std::string& line, std::size_t column, std::string_view text) {
    return line.size() >= column - 1 + text.size() &&
           std::string_view(line).substr(column - 1, text.size()) == text;
}

}  // namespace

std::string LineSource::GetLine() {
    std::string line;
    for (;;) {
        const char c = pos_ < bytes_.size() ? static_cast<char>(bytes_[pos_++]) : '\0';
        line += c;
        if (c == '\n' || c == '\0') {
            return line;
        }
    }
}

OlderKind RecogniseOlderFile(std::span<const std::uint8_t> bytes) {
    LineSource source(bytes);
    std::array<std::string, 4> lines;
    for (std::string& line : lines) {
        line = source.GetLine();
    }
    if (HasAt(lines[0], 1, "001") && HasAt(lines[1], 1, "002") && HasAt(lines[2], 1, "003") &&
        HasAt(lines[3], 1, "004")) {
        return OlderKind::Kvs220List;
    }
    if (HasAt(lines[0], 6, "Basic Information") && HasAt(lines[0], 33, "Rx Information") &&
        HasAt(lines[1], 4, "Ch# Scan  Desc")) {
        return OlderKind::TextListing;
    }
    return OlderKind::Unknown;
}

Result<Opened> ImportOlderFile(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                               Operator& op) {
    std::optional<Failure> failed;
    switch (RecogniseOlderFile(bytes)) {
        case OlderKind::Kvs220List:
            failed = ImportKvs220List(bytes, memory, op);
            break;
        case OlderKind::TextListing:
            failed = ImportTextListing(bytes, memory, op);
            break;
        case OlderKind::Unknown:
            if (op.Ask(UnrecognisedFormatMessage()) != Answer::Yes) {
                return Opened::Declined;
            }
            failed = ImportOldChannelFile(bytes, memory, op);
            break;
    }
    if (failed) {
        return *failed;
    }
    return Opened::Loaded;
}

}  // namespace kld
