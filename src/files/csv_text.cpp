#include "csv_text.h"

#include <algorithm>

#include "codecs.h"

namespace kld::csv {

bool CsvRow::Blank() const {
    return firstExtra == 0 && std::all_of(fields.begin(), fields.end(),
                                          [](const std::string& f) { return Trim(f).empty(); });
}

bool CsvReader::Next(CsvRow& row, std::size_t keep) {
    if (at_ >= text_.size() || !error_.empty()) {
        return false;
    }
    row = CsvRow{line_, {}, 0};
    std::size_t count = 0;
    std::string field;
    for (;;) {
        field.clear();
        if (!ReadField(field)) {
            return false;
        }
        ++count;
        if (count <= keep) {
            row.fields.push_back(field);
        } else if (row.firstExtra == 0 && !Trim(field).empty()) {
            row.firstExtra = count;
        }
        if (at_ < text_.size() && text_[at_] == ',') {
            ++at_;
            continue;
        }
        SkipLineEnd();
        return true;
    }
}

void CsvReader::SkipLineEnd() {
    if (at_ >= text_.size()) {
        return;
    }
    at_ += text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
    ++line_;
}

bool CsvReader::ReadField(std::string& field) {
    if (at_ >= text_.size() || text_[at_] != '"') {
        // Unquoted: a quote inside is kept as it is, as spreadsheets read it.
        while (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
            field += text_[at_++];
        }
        return true;
    }
    const int opened = line_;
    ++at_;
    for (;;) {
        if (at_ >= text_.size()) {
            error_ = "Line " + std::to_string(opened) + ": a quoted field is never closed";
            return false;
        }
        const char c = text_[at_];
        if (c == '"') {
            if (text_.compare(at_, 2, "\"\"") == 0) {
                field += '"';
                at_ += 2;
                continue;
            }
            ++at_;
            break;
        }
        if (c == '\r' || c == '\n') {
            const std::size_t length = text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
            field += text_.substr(at_, length);
            at_ += length;
            ++line_;
            continue;
        }
        field += c;
        ++at_;
    }
    // Blanks may follow the closing quote; anything else means the quotes do not pair up.
    while (at_ < text_.size() && text_[at_] == ' ') {
        ++at_;
    }
    if (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
        error_ = "Line " + std::to_string(line_) + ": text after a closing quote";
        return false;
    }
    return true;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (const char c : field) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

}  // namespace kld::csv
