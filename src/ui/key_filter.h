#pragma once

#include <QString>
#include <functional>

class QLineEdit;

namespace kld::ui {

// A box's key rule: gets the character code the operator typed (8 for backspace) and the box,
// returns the code to let through, or 0 to swallow the key. The rule may change the box's text
// itself (the channel box trims it) and beeps through the Operator where the rule says so.
using KeyRule = std::function<int(int key, QLineEdit& box)>;

// Puts `rule` in front of the box: every typed character and backspace goes through it before
// the box sees it, and what it lets through is inserted as typing would (replacing a selection,
// never past the box's maximum length). Pasted or dropped text (the paste key, the context menu,
// drag and drop) is typed character by character through the same rule; control characters and
// characters outside Latin-1 are dropped. Navigation and editing keys (arrows, Home, Delete,
// Tab, copy, cut, undo) pass untouched. Installing again on the same box replaces the rule.
void InstallKeyRule(QLineEdit* box, KeyRule rule);

// A box that takes only the digit key rule (ID call, the dialogs' number boxes).
void InstallDigitRule(QLineEdit* box);

// For rules that rewrite the box (a trim): sets `text` when it differs, keeping the cursor and
// the selection on the same characters, so that a selected text is still replaced by the key.
void SetRuleText(QLineEdit& box, const QString& text);

}  // namespace kld::ui
