#pragma once

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Pieces the small dialogs share.
namespace kld::ui::pieces {

// A dialog's number box: named, of `chars` digits at most.
inline QLineEdit* NumberBox(const char* name, int chars, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(chars);
    return box;
}

// The label in front of `box`: its buddy, and the box's accessible name (without the mnemonic's
// "&" and the colon), so a screen reader names the box as the operator sees it.
inline QLabel* BuddyLabel(const QString& text, QLineEdit* box, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(box);
    QString name = text;
    name.remove(u'&');
    if (name.endsWith(u':')) {
        name.chop(1);
    }
    box->setAccessibleName(name);
    return label;
}

inline QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// OK (the default, so Enter in a box presses it) and Cancel at the bottom right; the dialog
// keeps the size its contents want.
inline void FinishLayout(QDialog* dialog, QGridLayout* grid, QPushButton* ok, QPushButton* cancel) {
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, grid->rowCount(), 0, 1, grid->columnCount());
    grid->setSizeConstraint(QLayout::SetFixedSize);
    dialog->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

}  // namespace kld::ui::pieces
