#include "key_filter.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <algorithm>

#include "codecs.h"
#include "qt_text.h"

namespace kld::ui {

namespace {

// What a box takes: a printable character the memory's single-byte text can hold.
bool IsTypable(char16_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF);
}

// Ctrl combinations are shortcuts the box never types. Alt and AltGr (Ctrl+Alt on some
// systems) are not: the box would type their character, so it has to go through the rule.
bool IsShortcut(Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
}

class KeyRuleFilter : public QObject {
  public:
    KeyRuleFilter(QLineEdit* box, KeyRule rule)
        : QObject(box), box_(*box), rule_(std::move(rule)) {}

    void SetRule(KeyRule rule) { rule_ = std::move(rule); }

    // The box is looked at only for the events the rule is about: the events of its own
    // destruction come here too, when it is a QLineEdit no longer. A read-only box ignores typing
    // and pasting on its own.
    bool eventFilter(QObject* /*box*/, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                return !box_.isReadOnly() && KeyPress(static_cast<QKeyEvent&>(*event));
            case QEvent::InputMethod:
                return !box_.isReadOnly() && InputMethod(static_cast<QInputMethodEvent&>(*event));
            case QEvent::ContextMenu:
                return !box_.isReadOnly() &&
                       ShowContextMenu(static_cast<QContextMenuEvent&>(*event));
            case QEvent::Drop:
                return !box_.isReadOnly() && Drop(static_cast<QDropEvent&>(*event));
            case QEvent::MouseButtonRelease:
                return !box_.isReadOnly() && MiddleClick(static_cast<QMouseEvent&>(*event));
            default:
                return false;
        }
    }

  private:
    // One character through the rule, and what it lets through into the box.
    void Type(int key) {
        const int result = rule_(key, box_);
        if (result == kBackspace) {
            box_.backspace();
        } else if (result != 0) {
            box_.insert(QString(QChar(static_cast<char16_t>(result))));
        }
    }

    void TypeText(const QString& text, bool stopWhenFull) {
        for (const QChar c : text) {
            if (!IsTypable(c.unicode())) {
                continue;
            }
            if (stopWhenFull && box_.text().size() >= box_.maxLength() && !box_.hasSelectedText()) {
                return;
            }
            Type(c.unicode());
        }
    }

    void Paste(QClipboard::Mode mode) { TypeText(QGuiApplication::clipboard()->text(mode), true); }

    bool KeyPress(QKeyEvent& event) {
        const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
        if (event.key() == Qt::Key_Insert &&
            modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
            QGuiApplication::clipboard()->supportsSelection()) {
            Paste(QClipboard::Selection);  // the X11 selection's own paste key, as the box has it
            return true;
        }
        if (event.matches(QKeySequence::Paste) ||
            (event.key() == Qt::Key_Insert && modifiers == Qt::ShiftModifier)) {
            Paste(QClipboard::Clipboard);
            return true;
        }
        if (event.key() == Qt::Key_Backspace) {
            // The box's own backspace keeps Ctrl+Backspace deleting a word.
            const int result = rule_(kBackspace, box_);
            if (result == kBackspace) {
                return false;
            }
            if (result != 0) {
                box_.insert(QString(QChar(static_cast<char16_t>(result))));
            }
            return true;
        }
        const QString text = event.text();
        if (text.isEmpty() || !text.front().isPrint() || IsShortcut(modifiers)) {
            return false;  // navigation, Delete, Tab, Enter, Escape and the shortcuts
        }
        TypeText(text, false);
        return true;
    }

    // Composed characters (dead keys, input methods) arrive committed rather than as keys.
    bool InputMethod(QInputMethodEvent& event) {
        if (event.commitString().isEmpty()) {
            return false;
        }
        QInputMethodEvent preeditOnly(event.preeditString(), event.attributes());
        QCoreApplication::sendEvent(&box_, &preeditOnly);
        TypeText(event.commitString(), false);
        return true;
    }

    // The box's own menu, with its Paste going through the rule.
    bool ShowContextMenu(const QContextMenuEvent& event) {
        QMenu* menu = box_.createStandardContextMenu();
        for (QAction* action : menu->actions()) {
            if (action->objectName() != u"edit-paste" &&
                action->text().section(u'\t', 0, 0) != QLineEdit::tr("&Paste")) {
                continue;
            }
            auto* paste = new QAction(action->icon(), action->text(), menu);
            paste->setEnabled(action->isEnabled());
            connect(paste, &QAction::triggered, this, [this] { Paste(QClipboard::Clipboard); });
            menu->insertAction(action, paste);
            menu->removeAction(action);
            delete action;
            break;
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event.globalPos());
        return true;
    }

    bool Drop(QDropEvent& event) {
        const QMimeData* mime = event.mimeData();
        if (mime == nullptr || !mime->hasText()) {
            return false;  // the box refuses it itself
        }
        box_.deselect();
        box_.setCursorPosition(box_.cursorPositionAt(event.position().toPoint()));
        event.acceptProposedAction();
        TypeText(mime->text(), true);
        return true;
    }

    // The X11 selection's paste.
    bool MiddleClick(const QMouseEvent& event) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (event.button() != Qt::MiddleButton || !clipboard->supportsSelection()) {
            return false;
        }
        box_.deselect();
        Paste(QClipboard::Selection);
        return true;
    }

    QLineEdit& box_;
    KeyRule rule_;
};

}  // namespace

void InstallKeyRule(QLineEdit* box, KeyRule rule) {
    for (QObject* child : box->children()) {
        if (auto* filter = dynamic_cast<KeyRuleFilter*>(child)) {
            filter->SetRule(std::move(rule));
            return;
        }
    }
    box->installEventFilter(new KeyRuleFilter(box, std::move(rule)));
}

void InstallDigitRule(QLineEdit* box) {
    InstallKeyRule(box, [](int key, QLineEdit& field) {
        const DigitKeyResult result = DigitKeyRule(key, FromQ(field.text()));
        SetRuleText(field, ToQ(result.text));
        return result.key;
    });
}

void SetRuleText(QLineEdit& box, const QString& text) {
    const QString old = box.text();
    if (text == old) {
        return;
    }
    // Positions move left by what went before the kept text.
    const qsizetype lead = std::max<qsizetype>(old.indexOf(text), 0);
    const auto moved = [&](int position) {
        return static_cast<int>(std::clamp<qsizetype>(position - lead, 0, text.size()));
    };
    const bool selected = box.hasSelectedText();
    const int start = box.selectionStart();
    const int end = start + static_cast<int>(box.selectedText().size());
    const int cursor = box.cursorPosition();
    box.setText(text);
    if (selected) {
        box.setSelection(moved(start), moved(end) - moved(start));
    } else {
        box.setCursorPosition(moved(cursor));
    }
}

}  // namespace kld::ui
