#pragma once

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

// The main window's controls as its frames make them. Names, captions and labels are the ones
// the technicians' manual uses; sizes follow the font, so the window stays legible at any
// scaling.
namespace kld::ui::controls {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QLineEdit* Box(const char* name, int maxLength) {
    auto* box = Named(new QLineEdit, name);
    box->setMaxLength(maxLength);
    // Wide enough for its longest text and a little more, whatever the font.
    const int chars = std::max(maxLength, 3) + 2;
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars);
    return box;
}

inline QComboBox* Choice(const char* name) {
    auto* box = Named(new QComboBox, name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

inline QPushButton* Button(const char* name, const char* caption) {
    auto* button = Named(new QPushButton(QString::fromLatin1(caption)), name);
    button->setAccessibleName(QString(QString::fromLatin1(caption)).remove(QLatin1Char('&')));
    return button;
}

// A label that is its control's buddy, so that a screen reader announces the label with the
// control and the label's access key (if any) reaches it.
inline QLabel* LabelFor(const char* text, QWidget* buddy, const char* name = nullptr) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(buddy);
    if (name != nullptr) {
        label->setObjectName(QString::fromLatin1(name));
    }
    buddy->setAccessibleName(QString(QString::fromLatin1(text)).remove(QLatin1Char('&')).trimmed());
    return label;
}

}  // namespace kld::ui::controls
