#pragma once
// The main window as the window's tests start it: in a scratch folder, with a scripted operator
// answering its message boxes and scripted file and printer dialogs. Controls are found by their
// names, as the technicians' manual gives them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "../files/temp_dir.h"
#include "document.h"
#include "fake_operator.h"
#include "main_window.h"
#include "window_dialogs.h"

namespace kld::ui {

using test::ScriptedOperator;
using test::TempDir;

// The file and printer dialogs, answered from a script: each question takes the next answer,
// and is cancelled when none is left.
class ScriptedDialogs : public WindowDialogs {
  public:
    std::vector<QString> asked;  // "title|filter|preset"
    std::deque<QString> names;   // an empty name cancels the dialog
    std::deque<QString> printerFiles;

    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(names, title + "|" + filter + "|" + preset);
    }
    std::optional<QString> OpenFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(names, title + "|" + filter + "|" + preset);
    }
    bool ChoosePrinter(QPrinter& printer) override {
        const auto file = Next(printerFiles, "printer");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file.value_or(""));
        return file.has_value();
    }

  private:
    std::optional<QString> Next(std::deque<QString>& answers, const QString& question) {
        asked.push_back(question);
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer.isEmpty() ? std::nullopt : std::optional(answer);
    }
};

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

class Window : public ::testing::Test {
  protected:
    void Start(const std::string& commandLine = "") {
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);  // backups stay in the test's folder
        window = std::make_unique<MainWindow>(op, dir.Path(), commandLine);
        window->SetDialogs(&dialogs);
        window->StartPortSearch();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        if (window) {
            op.answers = {Answer::No};  // the edits go: no save at the end of a test
            window->close();
            window.reset();
        }
    }

    Document& Doc() { return window->Doc(); }
    const ChannelMemory& Mem() { return window->Doc().Memory(); }
    int Current() { return Doc().Current(); }
    template <typename T = QWidget>
    T* Find(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
    QListView* List() { return Find<QListView>("Summary"); }
    QString Line(int n) { return List()->model()->index(n, 0).data().toString(); }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }

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
    // Once the modal dialog `name` is up: types `typed` into its box `box` and presses `button`.
    void AnswerDialog(const char* name, const char* box, const char* typed, const char* button) {
        QTimer::singleShot(0, [=, this] {
            auto* dialog = Find<QDialog>(name);
            ASSERT_TRUE(dialog->isVisible()) << name;
            QTest::keyClicks(dialog->findChild<QLineEdit*>(box), typed);
            QTest::mouseClick(dialog->findChild<QAbstractButton*>(button), Qt::LeftButton);
        });
    }

    TempDir dir;
    ScriptedOperator op;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace kld::ui
