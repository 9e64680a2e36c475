#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "characters.h"

namespace kld::sim {

namespace {

std::optional<int> Number(std::string_view text, int base = 10) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// A count that may also be "always".
std::optional<int> Count(std::string_view text) {
    return text == "always" ? std::optional<int>(kAlways) : Number(text);
}

// The lines of a text file without their line ends; blank lines are kept when keepBlank.
std::optional<std::vector<std::string>> ReadLines(const std::string& path, bool keepBlank) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (keepBlank || !line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

std::string SimUsage() {
    return "usage: kvrx540-sim [options]\n"
           "  --port N               serve as COM<N> (default 1)\n"
           "  --ports-dir DIR        where COM<N> is linked (default $KLD540_PORTS_DIR)\n"
           "  --load FILE.540        the radio's memory at start (default blank)\n"
           "  --save FILE.540        saved after each completed send and on exit\n"
           "  --level 0|1|2          opening requests refused before one is accepted (2)\n"
           "  --endless-refusals     refuse every opening request\n"
           "  --modes HEX            enabled operating modes (70)\n"
           "  --version DIGITS       the radio's version, six hexadecimal digits (021100)\n"
           "  --stamp DIGITS         the memory stamp, fourteen digits\n"
           "  --text-log NAME        keep a text log with this name\n"
           "  --text-log-lines FILE  its lines\n"
           "  --debug-log FILE       debug-log lines: address (4 hex digits) then data bytes\n"
           "  --pace                 answer at the speed of the line\n"
           "  --quiet                no traffic on stderr\n"
           "faults:\n"
           "  --busy N               N busy answers before each answer\n"
           "  --busy-for TEXT        ... only to lines starting with TEXT\n"
           "  --garbage N            N garbage lines before each answer\n"
           "  --garbage-for TEXT     ... only to lines starting with TEXT\n"
           "  --bad-checksum N|always   answers with a wrong checksum\n"
           "  --bad-checksum-for TEXT   ... only to lines starting with TEXT\n"
           "  --refuse-record K      refuse the K-th record frame of a send\n"
           "  --refuse-times 1|2     ... this many times (1)\n"
           "  --corrupt-record K     store record K of a send with its description changed\n"
           "  --out-of-range N|always   records sent with address 0100 while receiving\n"
           "  --over-long            the first record of a receive is too long a frame\n"
           "  --silent-after N       stop answering after N lines\n"
           "  --vanish-after N       the device disappears after N lines\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                     std::string& error) {
    SimConfig& config = options.config;
    SimFaults& faults = config.faults;

    const std::map<std::string, std::function<bool()>> flags = {
        {"--endless-refusals", [&] { return config.endlessRefusals = true; }},
        {"--pace", [&] { return options.pace = true; }},
        {"--quiet", [&] { return options.quiet = true; }},
        {"--over-long", [&] { return faults.overLongFrame = true; }},
        {"--help", [&] { return options.help = true; }},
    };

    const auto setCount = [](int& field) {
        return [&field](const std::string& value) {
            const auto n = Number(value);
            return n ? (field = *n, true) : false;
        };
    };
    const auto setAlwaysCount = [](int& field) {
        return [&field](const std::string& value) {
            const auto n = Count(value);
            return n ? (field = *n, true) : false;
        };
    };
    const auto setOptional = [](std::optional<int>& field) {
        return [&field](const std::string& value) {
            const auto n = Number(value);
            return n ? (field = *n, true) : false;
        };
    };
    const auto setText = [](auto& field) {
        return [&field](const std::string& value) { return field = value, true; };
    };

    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--port",
         [&](const std::string& v) {
             const auto n = Number(v);
             return n && *n >= 1 ? (options.port = *n, true) : false;
         }},
        {"--ports-dir", setText(options.portsDir)},
        {"--load", setText(options.load)},
        {"--save", setText(options.save)},
        {"--level",
         [&](const std::string& v) {
             const auto n = Number(v);
             return n && *n <= 2 ? (config.protocolLevel = *n, true) : false;
         }},
        {"--modes",
         [&](const std::string& v) {
             const auto n = v.size() <= 2 && IsHexDigits(v) ? Number(v, 16) : std::nullopt;
             return n ? (config.enabledModes = static_cast<std::uint8_t>(*n), true) : false;
         }},
        {"--version",
         [&](const std::string& v) {
             return v.size() == 6 && IsHexDigits(v) ? (config.version = UpperCase(v), true) : false;
         }},
        {"--stamp",
         [&](const std::string& v) {
             return v.size() == 14 && IsDigits(v) ? (config.memoryStamp = v, true) : false;
         }},
        {"--text-log",
         [&](const std::string& v) { return !v.empty() ? (config.textLogName = v, true) : false; }},
        {"--text-log-lines",
         [&](const std::string& v) {
             auto lines = ReadLines(v, true);
             return lines ? (config.textLogLines = std::move(*lines), true) : false;
         }},
        {"--debug-log",
         [&](const std::string& v) {
             auto lines = ReadLines(v, false);
             if (!lines) {
                 return false;
             }
             for (std::string& line : *lines) {
                 line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
                 if (line.size() < 4 || line.size() % 2 != 0 || line.size() > 252 ||
                     !IsHexDigits(line)) {
                     return false;
                 }
                 line = UpperCase(line);
             }
             config.debugLog = std::move(*lines);
             return true;
         }},
        {"--busy", setCount(faults.busyAnswers)},
        {"--busy-for", setText(faults.busyFor)},
        {"--garbage", setCount(faults.garbageLines)},
        {"--garbage-for", setText(faults.garbageFor)},
        {"--bad-checksum", setAlwaysCount(faults.badChecksums)},
        {"--bad-checksum-for", setText(faults.badChecksumFor)},
        {"--refuse-record", setCount(faults.refuseRecordFrame)},
        {"--refuse-times", setCount(faults.refuseRecordTimes)},
        {"--corrupt-record", setOptional(faults.corruptRecord)},
        {"--out-of-range", setAlwaysCount(faults.outOfRangeRecords)},
        {"--silent-after", setOptional(faults.silentAfterLines)},
        {"--vanish-after", setOptional(faults.vanishAfterLines)},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (const auto flag = flags.find(arg); flag != flags.end()) {
            flag->second();
            continue;
        }
        const auto option = valued.find(arg);
        if (option == valued.end()) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (!option->second(value)) {
            error = "bad value for " + arg + ": " + value;
            return false;
        }
    }
    return true;
}

}  // namespace kld::sim
