#include "window_operator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringDecoder>

#include "qt_text.h"

namespace kld::ui {

namespace {

// Lines of a message's detail shown in the box itself; a longer detail is cut there.
constexpr int kDetailLinesShown = 12;

// Messages carry the memory's single-byte text (channel names) and the system's UTF-8 (file
// names, what the system reported): text that reads as UTF-8 is shown as such, the rest as
// Latin-1.
QString MessageText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded =
        utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return utf8.hasError() ? ToQ(text) : decoded;
}

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Exclamation:
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;   // the default
    QMessageBox::StandardButton escape;  // what Escape and the close button answer
};

ButtonSet BoxButtons(Buttons buttons) {
    using B = QMessageBox;
    switch (buttons) {
        case Buttons::OkCancel:
            return {B::Ok | B::Cancel, B::Ok, B::Cancel};
        case Buttons::YesNo:
            return {B::Yes | B::No, B::Yes, B::No};
        case Buttons::YesNoCancel:
            return {B::Yes | B::No | B::Cancel, B::Yes, B::Cancel};
        case Buttons::StoreDiscardCancel:
            return {B::Save | B::Discard | B::Cancel, B::Save, B::Cancel};
        case Buttons::Ok:
            break;
    }
    return {B::Ok, B::Ok, B::Ok};
}

Answer AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return Answer::Yes;
        case QMessageBox::No:
        case QMessageBox::Discard:
            return Answer::No;
        default:
            return Answer::Ok;
    }
}

}  // namespace

Answer WindowOperator::Ask(const Message& message) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    if (parent == nullptr) {
        parent = fallbackParent_;
    }
    QMessageBox box(parent);
    box.setWindowTitle(message.title.empty() ? QStringLiteral("KLD-540")
                                             : MessageText(message.title));
    box.setTextFormat(Qt::PlainText);  // the exact text, even where it looks like markup
    box.setText(MessageText(message.text));
    // A file's path or a channel's name can be copied out of any message.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setIcon(BoxIcon(message.icon));
    const ButtonSet set = BoxButtons(message.buttons);
    box.setStandardButtons(set.buttons);
    if (QAbstractButton* store = box.button(QMessageBox::Save)) {
        store->setText(QStringLiteral("&Store"));  // what Save Record does
    }
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    if (!message.detail.empty()) {
        // The reason and what to do are read without a click. A long list (every refused cell,
        // every field a radio holds otherwise) shows its start there and the whole of it, to be
        // read or copied, behind "Show Details...".
        const QString detail = MessageText(message.detail);
        const QStringList lines = detail.split(QLatin1Char('\n'));
        if (lines.size() <= kDetailLinesShown) {
            box.setInformativeText(detail);
        } else {
            box.setInformativeText(lines.mid(0, kDetailLinesShown - 1).join(QLatin1Char('\n')) +
                                   QStringLiteral("\n... and %1 more lines under Show Details.")
                                       .arg(lines.size() - kDetailLinesShown + 1));
            box.setDetailedText(detail);
        }
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return AnswerOf(clicked != nullptr ? box.standardButton(clicked) : set.escape);
}

void WindowOperator::Beep() {
    QApplication::beep();
}

}  // namespace kld::ui
