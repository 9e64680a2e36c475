#include "sim_serial_device.h"

#include <gtest/gtest.h>

#include "wire_codec.h"

namespace kld::sim {
namespace {

// Like a real line, the in-process line carries bytes only while both ends run at one speed, so
// a program that forgets to follow a speed change hears nothing.
TEST(SimSerialDevice, CarriesBytesOnlyWhileBothEndsRunAtOneSpeed) {
    const auto w = [](std::string_view body) { return WithChecksum(body) + "\r"; };
    SimRadio radio;
    SimSerialDevice device(radio);
    ASSERT_TRUE(device.Open());
    // The speed the line is at when the program writes, what it writes, the speed when it reads
    // the answer, and what it reads.
    const std::tuple<const char*, std::string, const char*, std::string> rows[] = {
        {"115200,N,8,1", "T204000022", "115200,N,8,1", ""},  // the radio is at 9600
        {"9600,N,8,1", "T2060000320480", "9600,N,8,1", w("T204000000")},
        {"9600,N,8,1", "T204000022", "9600,N,8,1", ""},        // the radio is at 115200 now
        {"115200,N,8,1", "T9030000", "115200,N,8,1", ""},      // no answer; 9600 again
        {"9600,N,8,1", "T2060000320480", "115200,N,8,1", ""},  // switched before the answer came
        {"115200,N,8,1", "T204000022", "115200,N,8,1", w("T207000023021100")},
    };
    for (const auto& [writeAt, sent, readAt, answer] : rows) {
        SCOPED_TRACE(sent);
        ASSERT_TRUE(device.SetLineSettings(writeAt));
        ASSERT_TRUE(device.Write(w(sent)));
        ASSERT_TRUE(device.SetLineSettings(readAt));
        EXPECT_EQ(device.ReadAvailable(), answer);
    }
    EXPECT_EQ(radio.LinesReceived(), 4);
}

}  // namespace
}  // namespace kld::sim
