// The start-up preparation with any settings file: the input's bytes as KLD540.ini in a folder
// of its own, read, accepted or refused (and then replaced), and the memory prepared from it.
//
//   byte 0  bit 0     the debug marker file is there
//           bit 1     the desktop program's use: a refused file is written afresh; else the
//                     command-line tool's, which never writes
//           bits 2-7  the length of the command line, which follows
//   then    the settings file
#include <fstream>

#include "fuzz_support.h"
#include "modes.h"

namespace {

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld;
    using namespace kld::fuzz;
    if (size == 0) {
        return 0;
    }
    const bool marker = (data[0] & 1) != 0;
    const SettingsUse use =
        (data[0] & 2) != 0 ? SettingsUse::CreateWhenMissing : SettingsUse::ReadOnly;
    const std::string_view rest = AsText(data + 1, size - 1);
    const std::string_view commandLine = rest.substr(0, data[0] >> 2);
    const std::string_view file = rest.substr(commandLine.size());

    const std::filesystem::path& folder = ScratchFolder("settings");
    WriteFile(folder / kSettingsFileName, file);
    std::error_code ec;
    if (marker) {
        WriteFile(folder / kDebugMarkerName, "");
    } else {
        std::filesystem::remove(folder / kDebugMarkerName, ec);
    }

    ChannelMemory memory = StartMemory();
    memory.Rec(9) = memory.Rec(kFirstChannel);  // something the preparation must reset
    memory.Saved = false;
    ProgramState state;
    state.MemoryStamp = "20240229235959";
    PrepareMemory(memory, state, commandLine, folder, use);

    Require(state.DebugMode == marker, "debug mode follows the marker file");
    Require(memory.PortNumber == memory.Rec(kDefaultRecord).RFRec, "the port is the template's");
    Require(memory.EnabledModes == 0 ||
                (memory.EnabledModes & ModeFlag(memory.Rec(kDefaultRecord).Mode)) != 0,
            "the template's mode is enabled whenever a mode is");
    for (int index = kFirstChannel + 1; index <= kLastOrdinaryChannel; ++index) {
        Require(!memory.Rec(index).IsDefined(), "channels 2 to 230 start undefined");
    }
    Require(memory.Saved && state.MemoryStamp == kNoStamp, "a prepared memory is saved, unstamped");
    CheckZoneCounts(memory);

    // Starting again with the file as the first start left it gives the same memory.
    ChannelMemory again;
    ProgramState againState;
    PrepareMemory(again, againState, commandLine, folder, SettingsUse::ReadOnly);
    Require(SameRecords(again, memory) && againState.Header == state.Header,
            "a second start gives the same memory");

    CheckViews(memory);  // start-up runs no memory check; the views show what it made
    return 0;
}
