#pragma once

#include <string>
#include <string_view>

#include "sim_radio.h"
#include "wire_codec.h"

namespace kld::sim::test {

// A frame as it travels: checksum and CR.
inline std::string Wire(std::string_view body) {
    return WithChecksum(body) + "\r";
}

// What the radio says to one line of the program.
inline std::string Say(SimRadio& radio, std::string_view body) {
    radio.Receive(Wire(body));
    return radio.TakeOutput();
}

// A channel every field of which the record image can carry.
inline ChannelRecord Channel(int index, std::string_view desc, std::string_view frequency) {
    ChannelRecord r;
    r.Select = kSelDefined | kSelCreatedHere;
    r.Prim = static_cast<std::int16_t>(index);
    r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = 0x20;
    r.Desc = desc;
    r.Mode = kModeNarrow;
    r.RSql = kSqlCtcss;
    r.RTG = "0001";
    r.RCTCSS = 12;
    r.RNAC = "293";
    r.RFrq = frequency;
    r.TSql = kSqlNoise;
    r.TTG = "0001";
    r.TNAC = "293";
    r.TFrq = frequency;
    r.RFRec = 10;
    return r;
}

// The record frame the radio sends for one of its records.
inline std::string RecordFrame(const ChannelMemory& memory, int index) {
    return RecordFrameText(*MakeBuf(memory, index));
}

}  // namespace kld::sim::test
