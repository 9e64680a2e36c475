#include "record_layout.h"

#include <algorithm>
#include <cstring>

namespace kld {

namespace {

// Both directions walk the fields in the same order through these visitors, over the persisted
// form of one header or record held whole in a buffer of its own size: a file has some
// twenty-five thousand fields, and writing or reading them one byte at a time through a bounds
// test each was most of what a save or an open cost.
struct Writer {
    char* at;
    void operator()(std::int16_t value) {
        const auto bits = static_cast<std::uint16_t>(value);
        const char bytes[] = {static_cast<char>(bits & 0xFF), static_cast<char>(bits >> 8)};
        std::memcpy(at, bytes, sizeof bytes);
        at += sizeof bytes;
    }
    void operator()(std::uint8_t value) { *at++ = static_cast<char>(value); }
    template <std::size_t N>
    void operator()(const FixedText<N>& text) {
        std::memcpy(at, text.Bytes().data(), N);
        at += N;
    }
    template <std::size_t N>
    void operator()(const std::array<std::int16_t, N>& values) {
        for (auto v : values) {
            (*this)(v);
        }
    }
};

struct Reader {
    const std::uint8_t* at;
    void operator()(std::int16_t& value) {
        value = static_cast<std::int16_t>(at[0] | (at[1] << 8));
        at += 2;
    }
    void operator()(std::uint8_t& value) { value = *at++; }
    template <std::size_t N>
    void operator()(FixedText<N>& text) {
        std::memcpy(text.Bytes().data(), at, N);
        at += N;
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

// The old headerless file is read a field at a time; each read tests the end of the data once.
std::uint8_t ByteSource::Byte() {
    const std::uint8_t value = pos_ < bytes_.size() ? bytes_.data()[pos_] : 0;
    ++pos_;
    return value;
}

std::int16_t ByteSource::Int16() {
    std::array<std::uint8_t, 2> bytes;
    Read(bytes);
    return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}

void ByteSource::Read(std::span<std::uint8_t> to) {
    const std::size_t available = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
    const std::size_t present = std::min(available, to.size());
    if (present != 0) {
        std::memcpy(to.data(), bytes_.data() + pos_, present);
    }
    std::fill(to.begin() + static_cast<std::ptrdiff_t>(present), to.end(), std::uint8_t{0});
    pos_ += to.size();
}

void AppendHeader(std::string& out, const FileHeader& header) {
    std::array<char, kHeaderBytes> image;
    VisitFields(header, Writer{image.data()});
    out.append(image.data(), image.size());
}

void AppendRecord(std::string& out, const ChannelRecord& record) {
    std::array<char, kRecordBytes> image;
    VisitFields(record, Writer{image.data()});
    out.append(image.data(), image.size());
}

FileHeader ReadHeader(ByteSource& source) {
    std::array<std::uint8_t, kHeaderBytes> image;
    source.Read(image);
    FileHeader header;
    VisitFields(header, Reader{image.data()});
    return header;
}

ChannelRecord ReadRecord(ByteSource& source) {
    std::array<std::uint8_t, kRecordBytes> image;
    source.Read(image);
    ChannelRecord record;
    VisitFields(record, Reader{image.data()});
    return record;
}

}  // namespace kld
