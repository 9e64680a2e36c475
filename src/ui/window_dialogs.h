#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace kld::ui {

// The platform dialogs the window's file and print commands ask, and the desktop's file
// manager: tests answer them through a scripted double, the program through QtWindowDialogs.
// Filters are in Qt's form ("KLD540 files (*.540);;All files (*.*)"); `preset` is the file name
// the dialog starts with. None (or false) when the operator cancels.
class WindowDialogs {
  public:
    virtual ~WindowDialogs() = default;
    virtual std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                                const QString& preset) = 0;
    virtual std::optional<QString> OpenFileName(const QString& title, const QString& filter,
                                                const QString& preset) = 0;
    virtual bool ChoosePrinter(QPrinter& printer) = 0;
    // Shows `folder` in the desktop's file manager; false when none could.
    virtual bool ShowFolder(const QString& folder) = 0;
};

// QFileDialog and QPrintDialog over the main window; QDesktopServices for the folder.
class QtWindowDialogs : public WindowDialogs {
  public:
    explicit QtWindowDialogs(QWidget* parent) : parent_(parent) {}
    std::optional<QString> SaveFileName(const QString& title, const QString& filter,
                                        const QString& preset) override;
    std::optional<QString> OpenFileName(const QString& title, const QString& filter,
                                        const QString& preset) override;
    bool ChoosePrinter(QPrinter& printer) override;
    bool ShowFolder(const QString& folder) override;

  private:
    QWidget* parent_;
};

// A filter in the form the radio's technicians know from the manual, "Name (*.540)|*.540|...",
// as Qt writes it: "Name (*.540);;...".
QString QtFilter(const QString& pipeFilter);

// The file name a dialog starts with: the last name chosen, cut before its first ".". (A folder
// with a dot in its name cuts the path there; the dialog then starts in the folder it names.)
QString PresetFileName(const QString& lastName);

}  // namespace kld::ui
