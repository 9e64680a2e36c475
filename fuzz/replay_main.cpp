// Without libFuzzer (a gcc build), each fuzz target gets this main instead: it feeds every file
// named on the command line, or found in a folder named there, to the target once. CTest runs it
// over the saved corpus, so every input that ever found a fault stays a regression test. A run
// that replayed nothing, or could not read an input, fails: an empty or misnamed corpus folder
// must not pass as clean.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int inputs = 0, unreadable = 0;
    const auto replay = [&](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        unreadable += !in;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    };
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i])) {
                if (entry.is_regular_file()) {
                    replay(entry.path());
                }
            }
        } else if (argv[i][0] != '-') {  // "-": one of libFuzzer's options
            replay(argv[i]);
        }
    }
    std::printf("replayed %d inputs, %d unreadable\n", inputs, unreadable);
    return inputs == 0 || unreadable != 0 ? 1 : 0;
}
