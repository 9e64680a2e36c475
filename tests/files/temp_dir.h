#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <string_view>

#include "../cases.h"

namespace kld::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("kld540-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// work(), failing if it still waits after two seconds; the FIFO is then opened at both ends so
// that it ends.
template <typename Work>
auto Bounded(Work work, const std::filesystem::path& fifo) {
    auto future = std::async(std::launch::async, work);
    if (future.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
        return future.get();
    }
    ADD_FAILURE() << "blocked on the FIFO";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    auto result = future.get();
    ::close(reader);
    return result;
}

#ifdef KLD_GOLDEN_DIR
// A large output compared with the file `name` in the KLD_GOLDEN_DIR folder, which
// KLD_UPDATE_GOLDEN=1 writes anew from the output (then read the diff).
inline void ExpectGolden(const std::string& name, const std::string& output) {
    const std::filesystem::path path = std::filesystem::path(KLD_GOLDEN_DIR) / name;
    if (std::getenv("KLD_UPDATE_GOLDEN") != nullptr) {
        WriteBytes(path, output);
    }
    EXPECT_TRUE(ReadBytes(path) == output) << name << " differs (KLD_UPDATE_GOLDEN=1 rewrites it)";
}
#endif

}  // namespace kld::test
