#include "window_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

namespace kld::ui {

QString QtFilter(const QString& pipeFilter) {
    const QStringList fields = pipeFilter.split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        names << fields[i];  // the description already names its patterns
    }
    return names.join(QStringLiteral(";;"));
}

QString PresetFileName(const QString& lastName) {
    const qsizetype dot = lastName.indexOf(QLatin1Char('.'));
    return dot < 0 ? lastName : lastName.left(dot);
}

std::optional<QString> QtWindowDialogs::SaveFileName(const QString& title, const QString& filter,
                                                     const QString& preset) {
    QFileDialog dialog(parent_, title, preset, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the first filter's ("plan" is saved as plan.540).
    const QString first = filter.section(QStringLiteral(";;"), 0, 0);
    const qsizetype star = first.indexOf(QStringLiteral("*."));
    if (star >= 0) {
        dialog.setDefaultSuffix(first.mid(star + 2).section(QLatin1Char(')'), 0, 0));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

std::optional<QString> QtWindowDialogs::OpenFileName(const QString& title, const QString& filter,
                                                     const QString& preset) {
    const QString name = QFileDialog::getOpenFileName(parent_, title, preset, filter);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name;
}

bool QtWindowDialogs::ChoosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtWindowDialogs::ShowFolder(const QString& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace kld::ui
