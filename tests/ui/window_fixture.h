#pragma once
// The main window as its tests start it: in a scratch folder, a scripted operator answering its
// message boxes, scripted file and printer dialogs; controls found by the manual's names.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "../files/temp_dir.h"
#include "document.h"
#include "fake_operator.h"
#include "main_window.h"
#include "port_names.h"
#include "window_dialogs.h"

// Readable failures for the window's texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kld::ui {

// The file and printer dialogs, answered from a script: each question ("title|filter|preset")
// takes the next name (a printer its output file), cancelled by an empty one or none left.
class ScriptedDialogs : public WindowDialogs {
  public:
    std::vector<QString> asked;
    QStringList names;
    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(title + "|" + filter + "|" + preset);
    }
    std::optional<QString> OpenFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(title + "|" + filter + "|" + preset);
    }
    bool folderShown = false;  // what the file manager does with the next folder
    bool ShowFolder(const QString& folder) override {
        asked.push_back("folder|" + folder);
        return folderShown;
    }
    bool ChoosePrinter(QPrinter& printer) override {
        const auto file = Next("printer");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file.value_or(""));
        return file.has_value();
    }
    std::optional<QString> Next(const QString& question) {
        asked.push_back(question);
        const QString answer = names.isEmpty() ? QString() : names.takeFirst();
        return answer.isEmpty() ? std::nullopt : std::optional(answer);
    }
};

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

class Window : public ::testing::Test {
  protected:
    // Ports (COM<n> links), backups and the desktop settings in the test's own folder, never
    // the machine's.
    Window() {
        std::filesystem::create_directory(dir / "ports");
        ::setenv(kPortsDirVariable, (dir / "ports").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    }
    ~Window() override { ::unsetenv(kPortsDirVariable); }
    // `commandLine` enables the operating modes ("w n d"). Returns once the ports are listed.
    void Start(const std::string& commandLine = "") {
        window = std::make_unique<MainWindow>(op, dir.Path(), commandLine);
        window->SetDialogs(&dialogs);
        redrawn = std::make_unique<QSignalSpy>(List()->model(), &QAbstractItemModel::dataChanged);
        QSignalSpy found(window.get(), &MainWindow::PortsFound);
        window->StartPortSearch();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(found.wait(20000));
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        if (window) {
            op.answers = {Answer::No};  // the edits go: no save at the end of a test
            window->close();
            window.reset();
        }
        for (const auto& sim : sims) {
            sim->terminate();
            sim->waitForFinished(5000);
        }
    }
    // The simulated radio as COM`port` of the ports folder, with its `options`, once it says it
    // is ready.
    void StartSim(int port, const QStringList& options = {}) {
        auto& sim = sims.emplace_back(std::make_unique<QProcess>());
        sim->start(QStringLiteral(KVRX540_SIM),
                   QStringList{"--port", QString::number(port), "--ports-dir", Q(dir / "ports"),
                               "--quiet"} +
                       options);
        ASSERT_TRUE(sim->waitForStarted());
        for (int i = 0; i < 200 && !sim->readAllStandardOutput().contains("ready"); ++i) {
            sim->waitForReadyRead(50);
        }
    }
    Document& Doc() { return window->Doc(); }
    const ChannelMemory& Mem() { return window->Doc().Memory(); }
    int Current() { return Doc().Current(); }
    template <typename T = QWidget>
    T* Find(const QString& name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
    QListView* List() { return Find<QListView>("Summary"); }
    QString Line(int n) { return List()->model()->index(n, 0).data().toString(); }
    // Whether the list was told since the last look that lines `first` to `last` may differ.
    bool Redrawn(int first, int last = -1) {
        const bool told = std::ranges::any_of(*redrawn, [&](const QList<QVariant>& signal) {
            return signal[0].toModelIndex().row() <= first &&
                   signal[1].toModelIndex().row() >= std::max(first, last);
        });
        redrawn->clear();
        return told;
    }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    // Clicks `command`, its file dialog answered with `name` in the test's folder.
    void ClickChoosing(const char* command, const std::string& name) {
        dialogs.names = {Q(dir / name)};
        Click(command);
    }
    // Records set up as a file or a radio would have left them.
    void Edit(const std::function<void(ChannelMemory&)>& change) {
        Doc().Apply("test", [&](ChannelMemory& memory, ProgramState&) {
            change(memory);
            return Document::Then::KeepShown;
        });
    }
    // Focus a box, replace its text by typing, as the operator would.
    void TypeInto(const char* name, const QString& text) {
        QLineEdit* box = Box(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // Shows channel `n` as the scroll bar does (it runs over the channels negated: up raises).
    void GoTo(int n) { Find<QScrollBar>("ChnlScrll")->setValue(-n); }
    // Shows channel `n`, types `desc` (if any) over its description and stores it.
    void StoreChannel(int n, const QString& desc = {}) {
        GoTo(n);
        if (!desc.isEmpty()) {
            TypeInto("Desc", desc);
        }
        Click("Save");
    }
    // Move the focus on with Tab, so that the box's leave rule runs, and let it run.
    void Leave(const char* name) {
        QTest::keyClick(Find(name), Qt::Key_Tab);
        QApplication::processEvents();
    }
    // Clicks `command`; in its dialog `name` types `typed` into `box` and presses `button`.
    void ClickAnswering(const char* command, const char* name, const char* box, const char* typed,
                        const char* button) {
        QTimer::singleShot(0, [=, this] {
            auto* dialog = Find<QDialog>(name);
            ASSERT_TRUE(dialog->isVisible()) << name;
            QTest::keyClicks(dialog->findChild<QLineEdit*>(box), typed);
            QTest::mouseClick(dialog->findChild<QAbstractButton*>(button), Qt::LeftButton);
        });
        Click(command);
    }

    test::TempDir dir;
    test::ScriptedOperator op;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QSignalSpy> redrawn;  // the summary list's lines told to change
    std::vector<std::unique_ptr<QProcess>> sims;
};

}  // namespace kld::ui
