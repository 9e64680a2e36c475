#include "record_layout.h"

namespace kld {

namespace {

// Both directions walk the fields in the same order through these visitors.
struct Writer {
    std::string& out;
    void operator()(std::int16_t value) {
        const auto bits = static_cast<std::uint16_t>(value);
        out += static_cast<char>(bits & 0xFF);
        out += static_cast<char>(bits >> 8);
    }
    void operator()(std::uint8_t value) { out += static_cast<char>(value); }
    template <std::size_t N>
    void operator()(const FixedText<N>& text) {
        out.append(text.View());
    }
    template <std::size_t N>
    void operator()(const std::array<std::int16_t, N>& values) {
        for (auto v : values) {
            (*this)(v);
        }
    }
};

struct Reader {
    ByteSource& in;
    void operator()(std::int16_t& value) { value = in.Int16(); }
    void operator()(std::uint8_t& value) { value = in.Byte(); }
    template <std::size_t N>
    void operator()(FixedText<N>& text) {
        for (char& c : text.Bytes()) {
            c = static_cast<char>(in.Byte());
        }
    }
    template <std::size_t N>
    void operator()(std::array<std::int16_t, N>& values) {
        for (auto& v : values) {
            (*this)(v);
        }
    }
};

template <typename Header, typename Visitor>
void VisitFields(Header& h,
                 Visitor&& v) requires std::is_same_v<std::remove_const_t<Header>, FileHeader> {
    v(h.FileTag);
    v(h.VerMajor);
    v(h.VerMinor);
    v(h.VerRev);
    v(h.EofMark);
    v(h.FileKind);
    v(h.FormatRev);
    v(h.RadioModel);
    v(h.RadioVer);
    v(h.Spare);
}

template <typename Record, typename Visitor>
void VisitFields(Record& r,
                 Visitor&& v) requires std::is_same_v<std::remove_const_t<Record>, ChannelRecord> {
    v(r.Select);
    v(r.Shad);
    v(r.Prim);
    v(r.Chnl);
    v(r.Scan);
    v(r.Desc);
    v(r.EFlags);
    v(r.Mode);
    v(r.RSql);
    v(r.RTG);
    v(r.RCTCSS);
    v(r.RDCS);
    v(r.RNAC);
    v(r.RFrq);
    v(r.TSql);
    v(r.TTG);
    v(r.TCTCSS);
    v(r.TDCS);
    v(r.TNAC);
    v(r.TFrq);
    v(r.IDCall);
    v(r.ShadList);
    v(r.RFRec);
}

}  // namespace

std::uint8_t ByteSource::Byte() {
    const std::uint8_t value = pos_ < bytes_.size() ? bytes_[pos_] : 0;
    ++pos_;
    return value;
}

std::int16_t ByteSource::Int16() {
    const std::uint16_t low = Byte();
    const std::uint16_t high = Byte();
    return static_cast<std::int16_t>(low | (high << 8));
}

void AppendHeader(std::string& out, const FileHeader& header) {
    VisitFields(header, Writer{out});
}

void AppendRecord(std::string& out, const ChannelRecord& record) {
    VisitFields(record, Writer{out});
}

FileHeader ReadHeader(ByteSource& source) {
    FileHeader header;
    VisitFields(header, Reader{source});
    return header;
}

ChannelRecord ReadRecord(ByteSource& source) {
    ChannelRecord record;
    VisitFields(record, Reader{source});
    return record;
}

}  // namespace kld
