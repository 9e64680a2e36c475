// Without libFuzzer (a gcc build), each fuzz target gets this main instead: it feeds every file
// named on the command line, or found in a folder named there, to the target once. CTest runs it
// over the saved corpus, so every input that ever found a fault stays a regression test. A run
// that replayed nothing fails: an empty or misnamed corpus folder must not pass as clean.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    bool unreadable = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("-")) {
            continue;  // libFuzzer's options
        }
        const std::filesystem::path path(arg);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    unreadable |= !Replay(entry.path());
                    ++inputs;
                }
            }
        } else {
            unreadable |= !Replay(path);
            ++inputs;
        }
    }
    std::printf("replayed %d inputs\n", inputs);
    if (inputs == 0) {
        std::fprintf(stderr, "no input to replay\n");
    }
    return inputs == 0 || unreadable ? 1 : 0;
}
