#pragma once
// The main window as the window's tests start it: in a scratch folder, with a scripted operator
// answering its message boxes and scripted file and printer dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "../files/temp_dir.h"
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
    struct Asked {
        QString title, filter, preset;
    };
    std::vector<Asked> asked;
    std::deque<QString> names;  // an empty name cancels the dialog
    std::deque<QString> printerFiles;

    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(title, filter, preset);
    }
    std::optional<QString> OpenFileName(const QString& title, const QString& filter,
                                        const QString& preset) override {
        return Next(title, filter, preset);
    }
    bool ChoosePrinter(QPrinter& printer) override {
        asked.push_back({"printer", "", ""});
        if (printerFiles.empty()) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerFiles.front());
        printerFiles.pop_front();
        return true;
    }

  private:
    std::optional<QString> Next(const QString& title, const QString& filter,
                                const QString& preset) {
        asked.push_back({title, filter, preset});
        QString name;
        if (!names.empty()) {
            name = names.front();
            names.pop_front();
        }
        return name.isEmpty() ? std::nullopt : std::optional(name);
    }
};

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
            window->Memory().Saved = true;  // no close question at the end of a test
            window->close();
        }
    }

    MainWindow& W() { return *window; }
    int Current() { return window->Memory().Current; }
    QString Line(int n) { return W().Summary->item(n)->text(); }

    // Focus a box, replace its text by typing, as the operator would.
    void TypeInto(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // Shows channel `n` as the scroll bar does (it runs over the channels negated: up raises).
    void GoTo(int n) { window->ChnlScrll->setValue(-n); }
    // Shows channel `n`, types `desc` (if any) over its description and stores it.
    void StoreChannel(int n, const QString& desc = {}) {
        GoTo(n);
        if (!desc.isEmpty()) {
            TypeInto(window->Desc, desc);
        }
        QTest::mouseClick(window->Save, Qt::LeftButton);
    }
    // Move the focus on with Tab, so that the box's leave rule runs, and let it run.
    void Leave(QWidget* box) {
        QTest::keyClick(box, Qt::Key_Tab);
        QApplication::processEvents();
    }

    TempDir dir;
    ScriptedOperator op;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace kld::ui
