#include "desktop_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>

namespace kld::ui {

namespace {

const QString kRecentKey = QStringLiteral("RecentFiles/Files");
const QString kSizeKey = QStringLiteral("Window/Size");
const QString kMaximisedKey = QStringLiteral("Window/Maximised");

// As the desktop's base directory rules have it: a relative XDG_CONFIG_HOME is ignored, since it
// would depend on the folder the program was started in.
QString SettingsFileName() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QString base;
    if (!config.isEmpty() && QDir::isAbsolutePath(config)) {
        base = config;
    } else if (const QString home = qEnvironmentVariable("HOME"); !home.isEmpty()) {
        base = home + QStringLiteral("/.config");
    } else {
        return {};
    }
    return QDir::cleanPath(base + QStringLiteral("/kld540/kld540.conf"));
}

QString Absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

DesktopSettings::DesktopSettings() : fileName_(SettingsFileName()) {
    if (fileName_.isEmpty()) {
        return;
    }
    // The file is the operator's to edit or spoil: what is not a path or a sensible size is
    // passed over, never trusted.
    const QSettings kept(fileName_, QSettings::IniFormat);
    for (const QString& path : kept.value(kRecentKey).toStringList()) {
        if (!path.isEmpty() && QDir::isAbsolutePath(path) && !recent_.contains(path) &&
            recent_.size() < kMaxRecentFiles) {
            recent_.append(path);
        }
    }
    const QSize size = kept.value(kSizeKey).toSize();
    if (size.isValid() && size.width() < 100000 && size.height() < 100000) {
        windowSize_ = size;
    }
    maximised_ = kept.value(kMaximisedKey).toBool();
}

void DesktopSettings::AddRecentFile(const QString& path) {
    const QString absolute = Absolute(path);
    recent_.removeAll(absolute);
    recent_.prepend(absolute);
    while (recent_.size() > kMaxRecentFiles) {
        recent_.removeLast();
    }
    Write();
}

void DesktopSettings::ForgetRecentFile(const QString& path) {
    recent_.removeAll(Absolute(path));
    Write();
}

void DesktopSettings::ForgetRecentFiles() {
    recent_.clear();
    Write();
}

void DesktopSettings::KeepWindowSize(QSize size, bool maximised) {
    windowSize_ = size;
    maximised_ = maximised;
    Write();
}

// Written at once, so that a second window or a crash finds the list as the menu showed it.
// A folder that cannot be written loses only these conveniences, so it is not reported.
void DesktopSettings::Write() const {
    if (fileName_.isEmpty()) {
        return;
    }
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QSettings kept(fileName_, QSettings::IniFormat);
    kept.setValue(kRecentKey, recent_);
    if (windowSize_) {
        kept.setValue(kSizeKey, *windowSize_);
        kept.setValue(kMaximisedKey, maximised_);
    }
    kept.sync();
}

}  // namespace kld::ui
