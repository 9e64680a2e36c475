// The transfer engine fed arbitrary radio bytes, in every direction.
#include <filesystem>

#include "fuzz_support.h"
#include "link/fake_host.h"
#include "transfer.h"

namespace {

// A radio that says whatever the fuzzer says, a few bytes at a time, whatever it is asked.
class ScriptedRadio : public kld::SerialDevice {
  public:
    explicit ScriptedRadio(std::string_view bytes) : bytes_(bytes) {}
    void SelectPort(int) override {}
    bool SetLineSettings(std::string_view) override { return true; }
    void SetBufferSizes(int, int) override {}
    bool Open() override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void DiscardInput() override {}
    bool Write(std::string_view) override { return true; }
    std::string ReadAvailable() override {
        const std::size_t n = std::min<std::size_t>(bytes_.size(), 1 + bytes_.size() % 97);
        std::string chunk(bytes_.substr(0, n));
        bytes_.remove_prefix(n);
        return chunk;
    }
    void WaitForData(std::chrono::milliseconds) override {}

  private:
    std::string_view bytes_;
    bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto direction = static_cast<kld::Direction>(data[0] % 3);
    kld::ChannelMemory memory = kld::fuzz::StartMemory();
    memory.Rec(1).Select |= kld::kSelSend;
    memory.Rec(231).Select |= kld::kSelSend;
    kld::ProgramState state;
    ScriptedRadio radio(kld::fuzz::AsText(data + 1, size - 1));
    kld::test::FakeHost host;
    host.lingers = false;
    kld::fuzz::YesOperator op;
    // Debug-log files go to a scratch folder; debug mode stays off so no other file is written.
    static const auto folder = std::filesystem::temp_directory_path() / "kld540-transfer-fuzz";
    std::filesystem::create_directories(folder);
    kld::TransferContext context{memory, state, radio, host, op, folder};
    kld::RadioTransfer(direction, context);
    kld::fuzz::Exercise(memory);
    return 0;
}
