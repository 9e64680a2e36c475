#pragma once
// Runs the built kld540-cli as a process, the way a technician or a script would.
#include <sys/wait.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "../files/temp_dir.h"

namespace kld::test {

struct CliRun {
    int status;
    std::string out, err;
    friend bool operator==(const CliRun&, const CliRun&) = default;
};

inline void PrintTo(const CliRun& run, std::ostream* os) {
    *os << "{" << run.status << ", \"" << run.out << "\", \"" << run.err << "\"}";
}

// Runs the tool in `dir` with the given arguments (already quoted for the shell), its standard
// output going to `out`.
inline CliRun Cli(const TempDir& dir, const std::string& args,
                  const std::string& out = "stdout.txt") {
    const std::string command = "cd '" + dir.Path().string() + "' && '" KLD540_CLI "' " + args +
                                " >" + out + " 2>stderr.txt";
    const int raw = std::system(command.c_str());
    CliRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir / "stdout.txt"),
               ReadBytes(dir / "stderr.txt")};
    std::filesystem::remove(dir / "stdout.txt");
    std::filesystem::remove(dir / "stderr.txt");
    return run;
}

}  // namespace kld::test
