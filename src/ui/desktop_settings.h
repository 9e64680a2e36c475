#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace kld::ui {

// What the desktop program keeps for the person at the desk, not for the radio: the window's
// size and the files last opened or saved. It lives where the desktop keeps such things,
// $XDG_CONFIG_HOME/kld540/kld540.conf (~/.config/kld540/ when that is unset), never in
// KLD540.ini, whose bytes belong to the template channel and the port. Without a place to keep
// it (neither variable names one, or the folder cannot be written) the program runs as before
// and only forgets.
class DesktopSettings {
  public:
    static constexpr int kMaxRecentFiles = 8;

    // Reads what was kept; the file is looked for once, where the environment says now.
    DesktopSettings();

    // The file, or empty when there is no place for it.
    const QString& FileName() const { return fileName_; }

    // Most recent first, at most kMaxRecentFiles, each an absolute path.
    const QStringList& RecentFiles() const { return recent_; }
    // `path` goes to the front (once), the oldest falls off the end.
    void AddRecentFile(const QString& path);
    void ForgetRecentFile(const QString& path);
    void ForgetRecentFiles();

    // The window's size at its last close, and whether it was maximised then.
    std::optional<QSize> WindowSize() const { return windowSize_; }
    bool WindowMaximised() const { return maximised_; }
    void KeepWindowSize(QSize size, bool maximised);

  private:
    void Write() const;

    QString fileName_;
    QStringList recent_;
    std::optional<QSize> windowSize_;
    bool maximised_ = false;
};

}  // namespace kld::ui
