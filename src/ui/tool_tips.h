#pragma once

class QWidget;

namespace kld::ui {

// Gives every control of the main window and of its dialogs its tooltip: what it holds and the
// values it takes, as the editing rules have them, or what the button does. Controls are found
// by their names, so the window's parts keep their own layout code; call it once every part and
// dialog exists.
void ExplainControls(QWidget& window);

}  // namespace kld::ui
