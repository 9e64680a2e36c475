// The window's file and print commands, driven as an operator drives them.
#include <QAction>
#include <filesystem>

#include "listings.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

using FileCommands = Window;

// The file dialogs start from the last name cut at its first dot, even one in a folder's name.
TEST(DialogText, PresetNameIsCutAtTheFirstDot) {
    EXPECT_EQ(PresetFileName("/home/tech/v2.6/plan.540"), "/home/tech/v2");
    EXPECT_EQ(PresetFileName("plan"), "plan");
}

// A plan saved, changed, compared and opened again; a place that cannot be written and a file
// that cannot be read lose nothing. The file's name is in other scripts: the caption shows it as
// the file system gives it.
TEST_F(FileCommands, SaveCompareAndOpenThroughTheDialogs) {
    Start();
    StoreChannel(5, "Fire");
    ASSERT_FALSE(Doc().Saved());
    dialogs.names = {Q(dir / "план ß.540")};
    Click("FileSave");
    const std::string saved = test::ReadBytes(dir / "план ß.540");
    EXPECT_EQ(saved.size(), 24730u);
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Enter filename to save data as");
    EXPECT_EQ(dialogs.asked[0].filter, "KLD540 files (*.540);;All files (*.*)");

    // Saving where nothing can be written: the message, the earlier file intact, caption kept.
    StoreChannel(5, "Changed");
    dialogs.names = {Q(dir / "no-such-folder" / "x.540")};
    Click("FileSave");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    EXPECT_EQ(test::ReadBytes(dir / "план ß.540"), saved);

    // A cancelled open leaves the memory as it was; compare names the channel changed since.
    Click("FileOpen");
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Changed");
    dialogs.names = {Q(dir / "план ß.540")};
    Find<QAction>("CompareWithFile")->trigger();
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(op.shown[1].title, "Compare");
    EXPECT_NE(op.shown[1].detail.find("005"), std::string::npos) << op.shown[1].detail;
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Changed");

    // Opening what is no channel file: the message and the reset memory, quickly.
    test::WriteBytes(dir / "big.540", std::string(5 * 1024 * 1024, 'x'));
    for (const fs::path& what : {dir / "big.540", dir / "missing.540"}) {
        SCOPED_TRACE(what.string());
        op.shown.clear();
        op.answers = {Answer::No};  // not to be tried as an old file
        dialogs.names = {Q(what)};
        Click("FileOpen");
        ASSERT_FALSE(op.shown.empty());
        EXPECT_FALSE(Mem().Rec(5).IsDefined());
        EXPECT_EQ(Current(), 1);
    }

    // A real open loads, checks and shows channel 1.
    op.shown.clear();
    dialogs.names = {Q(dir / "план ß.540")};
    Click("FileOpen");
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_FALSE(Doc().Saved());  // opening does not change it
    const auto& open = dialogs.asked.back();
    EXPECT_EQ(open.title, "Enter filename to open");
    EXPECT_EQ(open.filter,
              "KVRX-540 files (*.540);;KVS-220 files (*.100);;Text files (*.txt);;All files (*.*)");
    EXPECT_EQ(open.preset, Q(dir / "missing"));
    EXPECT_TRUE(op.shown.empty());

    // Closing: Yes, then the save dialog cancelled, keeps the window; Yes and a name save first.
    op.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    dialogs.names = {Q(dir / "at-close.540")};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(fs::file_size(dir / "at-close.540"), 24730u);
    window.reset();
}

TEST_F(FileCommands, ListingToFileAndPrinter) {
    Start();
    dialogs.names = {Q(dir / "list.Txt")};
    Click("PrintFile");
    EXPECT_EQ(test::ReadBytes(dir / "list.Txt"), TextListing(Mem()));
    EXPECT_EQ(dialogs.asked.back().title, "Enter filename to save data as text");
    EXPECT_EQ(dialogs.asked.back().filter, "KLD540 files (*.Txt);;All files (*.*)");
    dialogs.names = {Q(dir / "nowhere" / "list.Txt")};
    Click("PrintFile");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");

    // A cancelled printer dialog prints nothing; a chosen printer gets the listing.
    Click("PrintList");
    EXPECT_FALSE(fs::exists(dir / "list.pdf"));
    dialogs.printerFiles = {Q(dir / "list.pdf")};
    Click("PrintList");
    ASSERT_TRUE(fs::exists(dir / "list.pdf"));
    EXPECT_GT(fs::file_size(dir / "list.pdf"), 1000u);
}

// The debug marker file shows the debug buttons; "W" on the command line enables wideband only.
TEST_F(FileCommands, DebugMarkerAndDumpThroughTheIterationDialog) {
    test::WriteBytes(dir / "KLD-540.log", "");
    Start("W");
    EXPECT_TRUE(Find("ReadDbgLog")->isVisible() && Find("DumpChnlData")->isVisible());
    EXPECT_EQ(Mem().EnabledModes, 0x40);
    AnswerDialog("frmIteration", "Iterations", "0", "cmdOK");
    dialogs.names = {Q(dir / "dump.Txt")};
    Click("DumpChnlData");
    EXPECT_EQ(test::ReadBytes(dir / "dump.Txt"), ChannelDump(Mem()));
    // Cancel asks for no file.
    const std::size_t asked = dialogs.asked.size();
    AnswerDialog("frmIteration", "Iterations", "", "cmdCancel");
    Click("DumpChnlData");
    EXPECT_EQ(dialogs.asked.size(), asked);
}

TEST_F(FileCommands, CsvPlanOutAndBackIn) {
    Start();
    StoreChannel(5, "Fire");
    dialogs.names = {Q(dir / "plan.csv")};
    Click("ExportCsv");
    // A refused plan changes nothing and lists why.
    test::WriteBytes(dir / "bad.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "007,1,Narrow,150.0040,Noise,Noise\n");
    dialogs.names = {Q(dir / "bad.csv")};
    Click("ImportCsv");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_NE(op.shown[0].detail.find("Line 2, column RxFrequency"), std::string::npos);
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Fire");
    // The exported plan comes back with its channel.
    GoTo(5);
    Click("EraseCurr");  // made here: gone
    ASSERT_FALSE(Mem().Rec(5).IsDefined());
    dialogs.names = {Q(dir / "plan.csv")};
    Click("ImportCsv");
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_EQ(Current(), 1);
}

}  // namespace
}  // namespace kld::ui
