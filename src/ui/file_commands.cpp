#include "file_commands.h"

#include <QDesktopServices>
#include <QPrinter>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "backups.h"
#include "compare.h"
#include "csv.h"
#include "data_file.h"
#include "document.h"
#include "file_io.h"
#include "file_messages.h"
#include "listings.h"
#include "printing.h"
#include "qt_text.h"
#include "window_dialogs.h"

namespace kld::ui {

namespace {

using Then = Document::Then;

constexpr const char* kDataFilter = "KLD540 files (*.540)|*.540|All files (*.*)|*.*";
constexpr const char* kOpenFilter =
    "KVRX-540 files (*.540)|*.540|KVS-220 files (*.100)|*.100|Text files (*.txt)|*.txt|"
    "All files (*.*)|*.*";
constexpr const char* kTextFilter = "KLD540 files (*.Txt)|*.Txt|All files (*.*)|*.*";
constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
constexpr const char* kTextTitle = "Enter filename to save data as text";

std::filesystem::path PathOf(const QString& name) {
    return std::filesystem::path(name.toStdString());
}

}  // namespace

FileCommands::FileCommands(Document& document, Operator& op, QWidget* window)
    : QObject(window),
      document_(document),
      op_(op),
      ownDialogs_(std::make_unique<QtWindowDialogs>(window)),
      dialogs_(ownDialogs_.get()) {}

FileCommands::~FileCommands() = default;

void FileCommands::SetDialogs(WindowDialogs* dialogs) {
    dialogs_ = dialogs != nullptr ? dialogs : ownDialogs_.get();
}

std::optional<QString> FileCommands::ChooseSaveFile(const char* title, const char* pipeFilter) {
    const auto name = dialogs_->SaveFileName(QString::fromLatin1(title),
                                             QtFilter(QString::fromLatin1(pipeFilter)),
                                             PresetFileName(dialogFileName_));
    if (name) {
        dialogFileName_ = *name;
    }
    return name;
}

std::optional<QString> FileCommands::ChooseOpenFile(const QString& title, const char* pipeFilter) {
    const auto name = dialogs_->OpenFileName(title, QtFilter(QString::fromLatin1(pipeFilter)),
                                             PresetFileName(dialogFileName_));
    if (name) {
        dialogFileName_ = *name;
    }
    return name;
}

// --- Files ------------------------------------------------------------------------------------
// A command that arrives while a transfer runs (it keeps the window's event loop turning) waits
// for nothing: it is ignored.

bool FileCommands::SaveToFile() {
    if (document_.Busy()) {
        return false;
    }
    const auto name = ChooseSaveFile("Enter filename to save data as", kDataFilter);
    if (!name) {
        return false;
    }
    const std::filesystem::path path = PathOf(*name);
    const bool saved = document_.Save([&](ChannelMemory& memory, const ProgramState& state) {
        return SaveChannelFile(path, memory, state, op_);
    });
    if (!saved) {
        return false;  // told "Error writing to file."; caption and Saved as they were
    }
    emit CaptionChanged(FromSystem(FileCaption(document_.State().Version, path)));
    return true;
}

void FileCommands::OpenFile() {
    if (document_.Busy()) {
        return;
    }
    const auto name = ChooseOpenFile(QStringLiteral("Enter filename to open"), kOpenFilter);
    if (!name) {
        return;  // a cancelled open leaves the memory as it was
    }
    const std::filesystem::path path = PathOf(*name);
    OpenResult result = OpenResult::Failed;
    document_.Apply(QStringLiteral("Open File"), [&](ChannelMemory& memory, ProgramState& state) {
        result = OpenChannelFile(path, memory, state, op_);
        memory.Current = kFirstChannel;
        return Then::Reload;
    });
    if (result == OpenResult::Loaded) {
        emit CaptionChanged(FromSystem(FileCaption(document_.State().Version, path)));
    }
}

// --- Listings, CSV and the dump -------------------------------------------------------------

void FileCommands::PrintToFile() {
    if (document_.Busy()) {
        return;
    }
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        WriteTextFile(PathOf(*name), TextListing(document_.Memory()), op_);
    }
}

void FileCommands::PrintList() {
    if (document_.Busy()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs_->ChoosePrinter(printer)) {
        return;  // nothing printed
    }
    // Whatever happens part way, what was printed goes out; the printer reports the rest.
    PrintListing(document_.Memory(), printer);
}

void FileCommands::ExportCsv() {
    if (document_.Busy()) {
        return;
    }
    if (const auto name = ChooseSaveFile("Export channel plan as CSV", kCsvFilter)) {
        WriteTextFile(PathOf(*name), kld::ExportCsv(document_.Memory()), op_);
    }
}

void FileCommands::ImportCsv() {
    if (document_.Busy()) {
        return;
    }
    const auto name = ChooseOpenFile(QStringLiteral("Import channel plan from CSV"), kCsvFilter);
    if (!name) {
        return;
    }
    const auto bytes = ReadFileBytes(PathOf(*name));
    if (!bytes) {
        op_.Tell(ReadErrorMessage());
        return;
    }
    // A plan with any refused cell is not loaded at all: the memory stays as it was.
    CsvImportResult result;
    document_.Apply(QStringLiteral("Import CSV"), [&](ChannelMemory& memory, ProgramState& state) {
        result = kld::ImportCsv(*bytes, memory);
        if (!result.loaded) {
            return Then::KeepShown;
        }
        FinishOpen(memory, state, op_);
        memory.Current = kFirstChannel;
        return Then::Reload;
    });
    if (!result.loaded) {
        std::string detail;
        for (const std::string& refusal : result.refusals) {
            detail += refusal + "\n";
        }
        op_.Tell({"The plan was not imported: the details list every refused cell.", "Import CSV",
                  Icon::Warning, Buttons::Ok, detail});
    }
}

void FileCommands::WriteChannelDump() {
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        WriteTextFile(PathOf(*name), ChannelDump(document_.Memory()), op_);
    }
}

// --- Extras ---------------------------------------------------------------------------------

void FileCommands::CompareWithFile() {
    if (document_.Busy()) {
        return;
    }
    const auto name = dialogs_->OpenFileName(QStringLiteral("Compare with File"),
                                             QtFilter(QString::fromLatin1(kOpenFilter)),
                                             PresetFileName(dialogFileName_));
    if (!name) {
        return;
    }
    // The other plan is opened into a memory of its own, from the same template; the memory in
    // the window is not touched.
    const ChannelMemory& memory = document_.Memory();
    ChannelMemory other = memory;
    ProgramState otherState = document_.State();
    if (OpenChannelFile(PathOf(*name), other, otherState, op_) != OpenResult::Loaded) {
        return;
    }
    const std::vector<FieldDifference> rows = CompareMemories(memory, other);
    const std::string file = PathOf(*name).filename().string();
    if (rows.empty()) {
        op_.Tell({"The memory and " + file + " hold the same channels.", "Compare",
                  Icon::Information, Buttons::Ok});
        return;
    }
    op_.Tell({"The memory (A) and " + file + " (B) differ in " + std::to_string(rows.size()) +
                  (rows.size() == 1 ? " field." : " fields.") +
                  "\n\nThe details list each channel and field.",
              "Compare", Icon::Information, Buttons::Ok, DiffText(rows)});
}

void FileCommands::OpenBackupFolder() {
    const BackupResult folder = BackupFolder();
    std::error_code ec;
    if (!folder.Ok() || (std::filesystem::create_directories(folder.path, ec), ec)) {
        op_.Tell({"The backup folder cannot be opened.", "Backups", Icon::Warning, Buttons::Ok,
                  folder.Ok() ? folder.path.string() + ": " + ec.message() : folder.error});
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromSystem(folder.path.string())));
}

}  // namespace kld::ui
