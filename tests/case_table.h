#pragma once
// Tables of cases kept as text files beside a suite, one case a line: fields split at '|' and
// trimmed; a field in double quotes keeps its blanks, and \n, \t and \\ stand for themselves.
// Blank lines and lines starting with '#' are left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kld::test {

using Case = std::vector<std::string>;

// One field: trimmed, its quotes taken off, its escapes replaced.
inline std::string CaseField(std::string raw) {
    raw.erase(0, raw.find_first_not_of(' '));
    raw.erase(raw.find_last_not_of(' ') + 1);
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        raw = raw.substr(1, raw.size() - 2);
    }
    std::string field;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : '\0';
        field += c == 'n' ? '\n' : c == 't' ? '\t' : c != '\0' ? c : raw[i];
    }
    return field;
}

inline std::vector<Case> ReadCases(const std::filesystem::path& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.is_open()) << path;
    std::vector<Case> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(' ') == std::string::npos || line.starts_with('#')) {
            continue;
        }
        Case& fields = cases.emplace_back();
        std::string raw;
        bool quoted = false;
        for (const char c : line + '|') {
            quoted ^= c == '"';
            if (c == '|' && !quoted) {
                fields.push_back(CaseField(raw));
                raw.clear();
            } else {
                raw += c;
            }
        }
    }
    return cases;
}

}  // namespace kld::test
