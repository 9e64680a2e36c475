#include "file_io.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace kld {

namespace fs = std::filesystem;

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 64 * 1024;
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(kChunk, maxBytes - bytes.size());
        const std::size_t had = bytes.size();
        bytes.resize(had + want);
        in.read(reinterpret_cast<char*>(bytes.data() + had), static_cast<std::streamsize>(want));
        bytes.resize(had + static_cast<std::size_t>(in.gcount()));
        if (!in) {
            break;
        }
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (fs::is_directory(path, ec)) {
        return false;
    }

    std::random_device seed;
    std::mt19937_64 random(seed());
    fs::path temp;
    std::ofstream out;
    for (int attempt = 0; attempt < 16 && !out.is_open(); ++attempt) {
        temp = folder /
               ("." + path.filename().string() + "." + std::to_string(random() % 1000000) + ".tmp");
        if (!fs::exists(temp, ec)) {
            out.open(temp, std::ios::binary | std::ios::trunc);
        }
    }
    if (!out.is_open()) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        fs::remove(temp, ec);
        return false;
    }
    if (const auto status = fs::status(path, ec); !ec && fs::exists(status)) {
        fs::permissions(temp, status.permissions(), ec);
    }
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace kld
