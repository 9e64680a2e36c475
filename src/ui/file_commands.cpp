#include "file_commands.h"

#include <QPrinter>
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
#include "listings.h"
#include "printing.h"
#include "qt_text.h"
#include "status_text.h"
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

void FileCommands::Tell(const std::optional<Failure>& failed, const QString& done,
                        const QString& doing) {
    if (failed) {
        TellFailed(doing, *failed);
    } else {
        emit StatusMessage(done);
    }
}

// The box says what went wrong; the status line keeps it in view afterwards.
void FileCommands::TellFailed(const QString& what, const Failure& failure) {
    op_.Tell(failure.AsMessage());
    emit StatusMessage(what + QStringLiteral(" failed: ") + FromSystem(failure.message));
}

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
    std::optional<Failure> failed;
    document_.Save([&](ChannelMemory& memory, const ProgramState& state) {
        failed = SaveChannelFile(path, memory, state);
        return !failed;
    });
    if (failed) {
        TellFailed(QStringLiteral("Saving ") + FileNameText(path), *failed);
        return false;  // caption and Saved as they were
    }
    document_.SetCaption(FromSystem(FileCaption(document_.State().Version, path)));
    emit StatusMessage(QStringLiteral("Saved ") + FileNameText(path));
    emit ChannelFileUsed(*name);
    return true;
}

void FileCommands::OpenFile() {
    if (document_.Busy()) {
        return;
    }
    // A cancelled open leaves the memory as it was.
    if (const auto name = ChooseOpenFile(QStringLiteral("Enter filename to open"), kOpenFilter)) {
        OpenPath(*name);
    }
}

void FileCommands::OpenPath(const QString& name) {
    if (document_.Busy()) {
        return;
    }
    const std::filesystem::path path = PathOf(name);
    if (!document_.MayLeaveCurrent()) {
        return;
    }
    std::optional<Result<Opened>> result;
    document_.Apply(QStringLiteral("Open File"), [&](ChannelMemory& memory, ProgramState& state) {
        result = OpenChannelFile(path, memory, state, op_);
        memory.Current = kFirstChannel;
        if (*result && **result == Opened::Loaded) {
            document_.SetCaption(FromSystem(FileCaption(state.Version, path)));
        }
        return Then::Reload;
    });
    if (result && !*result) {
        op_.Tell(result->Error().AsMessage());  // the memory is the reset one
        emit StatusMessage(
            QStringLiteral("Opening %1 failed: %2 The memory is reset.%3")
                .arg(FileNameText(path), FromSystem(result->Error().message), kUndoHint));
    } else if (result && **result == Opened::Loaded) {
        emit StatusMessage(QStringLiteral("Opened %1 (%2).%3")
                               .arg(FileNameText(path),
                                    ChannelsText(ChannelCount(document_.Memory())), kUndoHint));
        emit ChannelFileUsed(name);
    } else if (result) {
        emit StatusMessage(QStringLiteral("%1 was not opened.").arg(FileNameText(path)));
    }
}

// --- Listings, CSV and the dump -------------------------------------------------------------

void FileCommands::PrintToFile() {
    if (document_.Busy()) {
        return;
    }
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        const QString file = FileNameText(PathOf(*name));
        Tell(WriteTextFile(PathOf(*name), TextListing(document_.Memory())),
             QStringLiteral("Listing written to ") + file,
             QStringLiteral("Writing the listing to ") + file);
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
    if (!PrintListing(document_.Memory(), printer)) {
        emit StatusMessage(
            QStringLiteral("Printing failed: the printer stopped part way; the "
                           "pages drawn so far were sent."));
        return;
    }
    // Every record has its line, so the listing always takes the same pages.
    constexpr int pages = (kLastRecord + kPrintedLinesPerPage) / kPrintedLinesPerPage;
    emit StatusMessage(QStringLiteral("Printed %1 pages").arg(pages));
}

void FileCommands::ExportCsv() {
    if (document_.Busy()) {
        return;
    }
    if (const auto name = ChooseSaveFile("Export channel plan as CSV", kCsvFilter)) {
        const QString file = FileNameText(PathOf(*name));
        Tell(WriteTextFile(PathOf(*name), kld::ExportCsv(document_.Memory())),
             QStringLiteral("Exported %1 to %2")
                 .arg(ChannelsText(ChannelCount(document_.Memory())), file),
             QStringLiteral("Exporting to ") + file);
    }
}

void FileCommands::ImportCsv() {
    if (document_.Busy()) {
        return;
    }
    if (const auto name =
            ChooseOpenFile(QStringLiteral("Import channel plan from CSV"), kCsvFilter)) {
        ImportCsvPath(*name);
    }
}

void FileCommands::ImportCsvPath(const QString& name) {
    if (document_.Busy()) {
        return;
    }
    const auto bytes = ReadFileBytes(PathOf(name));
    if (!bytes) {
        TellFailed(QStringLiteral("Importing ") + FileNameText(PathOf(name)), bytes.Error());
        return;
    }
    if (!document_.MayLeaveCurrent()) {
        return;
    }
    // A plan with refused rows and usable ones asks whether to import the usable ones; one with
    // no usable row is not loaded at all. Unless Yes, the memory stays as it was.
    std::optional<Failure> refused;
    bool declined = false;
    std::size_t skipped = 0;
    std::vector<std::string> warnings;
    document_.Apply(QStringLiteral("Import CSV"), [&](ChannelMemory& memory, ProgramState& state) {
        ChannelMemory planned = memory;
        const Result<CsvImport> result = kld::ImportCsv(*bytes, planned, CsvRows::SkipUnusable);
        if (!result) {
            refused = result.Error();
            return Then::KeepShown;
        }
        skipped = result->skipped.size();
        if (skipped > 0) {
            const std::size_t usable = static_cast<std::size_t>(result->rows) - skipped;
            const std::string question =
                std::to_string(skipped) + " of " + std::to_string(result->rows) +
                " rows cannot be used on this radio (listed). Import the other " +
                (usable == 1 ? std::string("row") : std::to_string(usable)) + "?";
            if (op_.Ask({question, "Import CSV", Icon::Warning, Buttons::YesNo,
                         SkippedRowsText(*result)}) != Answer::Yes) {
                declined = true;
                return Then::KeepShown;
            }
        }
        memory = planned;
        warnings = result->warnings;
        FinishOpen(memory, state, op_);
        memory.Current = kFirstChannel;
        return Then::Reload;
    });
    if (refused) {
        op_.Tell(refused->AsMessage("Import CSV", Icon::Warning));
    }
    if (refused || declined) {
        emit StatusMessage(QStringLiteral("%1 was not imported; the memory is as it was.")
                               .arg(FileNameText(PathOf(name))));
        return;
    }
    if (!warnings.empty()) {
        std::string detail;
        for (const std::string& warning : warnings) {
            detail += warning + "\n";
        }
        op_.Tell({"Descriptions longer than 8 characters were cut to 8.", "Import CSV",
                  Icon::Information, Buttons::Ok, detail});
    }
    const QString left = skipped == 0   ? QString()
                         : skipped == 1 ? QStringLiteral(", 1 row left out")
                                        : QStringLiteral(", %1 rows left out").arg(skipped);
    emit StatusMessage(QStringLiteral("Imported %1 from %2%3.%4")
                           .arg(ChannelsText(ChannelCount(document_.Memory())),
                                FileNameText(PathOf(name)), left, kUndoHint));
}

void FileCommands::WriteChannelDump() {
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        const QString file = FileNameText(PathOf(*name));
        Tell(WriteTextFile(PathOf(*name), ChannelDump(document_.Memory())),
             QStringLiteral("Channel dump written to ") + file,
             QStringLiteral("Writing the channel dump to ") + file);
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
    const Result<Opened> opened = OpenChannelFile(PathOf(*name), other, otherState, op_);
    if (!opened) {
        TellFailed(QStringLiteral("Comparing with ") + FileNameText(PathOf(*name)), opened.Error());
    }
    if (!opened || *opened != Opened::Loaded) {
        return;
    }
    const std::vector<FieldDifference> rows = CompareMemories(memory, other);
    const std::string file = PathOf(*name).filename().string();
    emit StatusMessage(
        QStringLiteral("Compared with %1: %2")
            .arg(FromSystem(file), rows.empty() ? QStringLiteral("no differences")
                                   : rows.size() == 1
                                       ? QStringLiteral("1 difference")
                                       : QStringLiteral("%1 differences").arg(rows.size())));
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
    if (document_.Busy()) {
        return;  // its messages would hold up the transfer's exchange
    }
    const BackupResult folder = BackupFolder();
    if (!folder) {
        op_.Tell({"The backup folder cannot be opened.", "Backups", Icon::Warning, Buttons::Ok,
                  folder.Error().detail});
        return;
    }
    // Where no file manager is set up (a bare window manager, a remote display) the operator can
    // still go there by hand: the path is the message's text, which can be selected and copied.
    const std::string where = folder->string();
    std::error_code ec;
    if (std::filesystem::create_directories(*folder, ec), ec) {
        op_.Tell({"The backup folder cannot be created:\n" + where, "Backups", Icon::Warning,
                  Buttons::Ok, ec.message()});
        return;
    }
    if (!dialogs_->ShowFolder(FromSystem(where))) {
        op_.Tell({"The backups are kept in:\n" + where, "Backups", Icon::Information, Buttons::Ok,
                  "No file manager could show the folder; open it by hand."});
        return;
    }
    emit StatusMessage(QStringLiteral("Opened the backup folder ") + FromSystem(where));
}

}  // namespace kld::ui
