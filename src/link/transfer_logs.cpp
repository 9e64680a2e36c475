#include "transfer_logs.h"

#include <array>
#include <cstdio>

namespace kld {

std::optional<Failure> TransferLog::Open(const std::filesystem::path& path) {
    Close();
    return out_.Open(path);
}

std::optional<Failure> TransferLog::Close() {
    return out_.IsOpen() ? out_.Commit() : std::nullopt;
}

void TransferLog::Sent(std::string_view command) {
    Raw(command);
    Raw("\r\n");
}

void TransferLog::Received(std::string_view lineWithCr) {
    Raw(lineWithCr);
    Raw("\n");
}

void TransferLog::Note(std::string_view text) {
    Raw(text);
    Raw("\r\n");
}

void TransferLog::Raw(std::string_view bytes) {
    if (out_.IsOpen()) {
        out_.Write(bytes);
    }
}

bool IsSafeLogName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == ".." ||
        name.find("..") != std::string_view::npos) {
        return false;
    }
    for (char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code >= 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

std::string FormatLogDate(const std::tm& t) {
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%02d-%s-%04d, %02d:%02d:%02d", t.tm_mday,
                  kMonths[static_cast<std::size_t>(t.tm_mon % 12)], t.tm_year + 1900, t.tm_hour,
                  t.tm_min, t.tm_sec);
    return buffer;
}

void RadioTextLog::Open(const std::filesystem::path& folder, std::string_view name,
                        const std::tm& now) {
    Close();
    const auto logs = folder / "Logs";
    std::error_code ec;
    if (!IsSafeLogName(name) || !std::filesystem::is_directory(logs, ec)) {
        return;
    }
    if (!out_.Open(logs / (std::string(name) + ".txt"))) {
        Line("Date: " + FormatLogDate(now));
    }
}

void RadioTextLog::Line(std::string_view text) {
    if (out_.IsOpen()) {
        out_.Write(std::string(text) + "\r\n");
    }
}

void RadioTextLog::Close() {
    if (out_.IsOpen()) {
        out_.Commit();
    }
}

}  // namespace kld
