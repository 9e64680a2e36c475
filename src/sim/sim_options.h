#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sim_radio.h"

namespace kld::sim {

// What kvrx540-sim is asked to do.
struct SimOptions {
    SimConfig config;
    int port = 1;                    // served as COM<port>
    std::filesystem::path portsDir;  // where COM<port> goes; empty: $KLD540_PORTS_DIR
    std::filesystem::path load;      // the radio's memory at start, a .540 file
    std::filesystem::path save;      // written after each completed send and on exit
    bool pace = false;               // answers take as long as the line rate says
    bool quiet = false;              // no traffic on stderr
    bool help = false;
};

// Reads the command line (without the program name). Files named by --text-log-lines and
// --debug-log are read here. False with a one-line reason when something is wrong.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// The option summary for --help and after a mistake.
std::string SimUsage();

}  // namespace kld::sim
