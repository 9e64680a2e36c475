#pragma once
// Case tables: rows of text cells kept in a test folder's cases/, so that a table of inputs and
// the results expected for them reads as a table, and what runs functions on their rows.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kld::test {

#ifdef KLD_CASES_DIR
// The rows of the table cases/`name`: each line that is neither blank nor a "#" comment, its
// cells split at "|" with a blank either side, and \r, \n, \t, \\, \| and \xHH standing for that
// byte.
inline std::vector<std::vector<std::string>> Cases(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream file(std::filesystem::path(KLD_CASES_DIR) / name, std::ios::binary);
    std::stringstream lines;
    lines << file.rdbuf();
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

using Cells = std::vector<std::string>;

// A function as a case table calls it: how many cells it takes, and what it gives as the cells
// that follow, joined by "|".
struct CaseFn {
    std::size_t args;
    std::function<std::string(const Cells&)> call;
};

// Calls the function the first cell of each row of cases/`name` names with the cells after it;
// the rest of the row is what it must give.
inline void ExpectCases(const std::string& name, const std::map<std::string, CaseFn>& fns) {
    for (const Cells& row : Cases(name)) {
        const auto fn = fns.find(row.at(0));
        ASSERT_TRUE(fn != fns.end() && row.size() > fn->second.args) << row.at(0);
        const auto results = row.begin() + 1 + static_cast<std::ptrdiff_t>(fn->second.args);
        std::string want;
        for (auto cell = results; cell != row.end(); ++cell) {
            want += (cell == results ? "" : "|") + *cell;
        }
        EXPECT_EQ(fn->second.call({row.begin() + 1, results}), want) << testing::PrintToString(row);
    }
}

// A result as a case table writes it: "none" for no value, numbers in their shortest form.
template <typename T>
std::string AsText(const T& value) {
    if constexpr (requires { value.has_value(); }) {
        return value ? AsText(*value) : "none";
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_arithmetic_v<T>) {
        char text[32];
        return {text, std::to_chars(text, text + sizeof text, value).ptr};
    } else {
        return std::string(value);
    }
}

// A number in a cell: decimal, or hexadecimal after "0x".
inline int Int(const std::string& cell) {
    return std::stoi(cell, nullptr, 0);
}
#endif

}  // namespace kld::test
