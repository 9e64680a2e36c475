#pragma once
// Case tables a suite keeps as text in the folder KLD_CASES_DIR names.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "files/temp_dir.h"

namespace kld::test {

// The rows of the table `name`: each line that is neither blank nor a "#" comment, its cells
// split at "|" with a blank either side, and \r, \n, \t, \\, \| and \xHH standing for that byte.
inline std::vector<std::vector<std::string>> Cases(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(ReadBytes(std::filesystem::path(KLD_CASES_DIR) / name));
    for (std::string line; std::getline(lines, line);) {
        for (std::size_t i = 0; i < line.size() && line[0] != '#'; ++i) {
            std::vector<std::string>& row = i == 0 ? rows.emplace_back(1) : rows.back();
            const char c = line[i] == '\\' ? line.at(++i) : 0;
            if (c == 0 && line[i] == '|') {
                row.back().erase(row.back().ends_with(' ') ? row.back().size() - 1
                                                           : row.back().size());
                row.emplace_back(), i += line.compare(i + 1, 1, " ") == 0;
            } else if (c == 'x') {
                row.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)),
                    i += 2;
            } else {
                row.back() += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c ? c : line[i];
            }
        }
    }
    EXPECT_FALSE(rows.empty()) << "no cases in " << name;
    return rows;
}

}  // namespace kld::test
