#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// Bringing a window back to the user: a minimised window restored, raised and made active; and
// a modal dialog brought back by a click on any window it blocks, so that minimising a dialog
// never leaves the program's windows deaf to every click with no way back.

#include <QAbstractNativeEventFilter>

class QWidget;

// Shows `window` restored when it is minimised (a maximised window stays maximised), raises it
// above the program's other windows and makes it the active window.
void bringWindowBack(QWidget& window);

// bringWindowBack for a window the program opens on its own (the end of a run) rather than at
// the user's request: while a dialog is open the window is shown restored but neither activated
// nor raised above the dialog, so the focus and what the user is typing stay in the dialog.
void bringWindowBackUnlessInDialog(QWidget& window);

// While a modal dialog blocks the program's other windows, Qt drops the pointer presses the
// window system sends them, and under X11 nothing else answers: a dialog minimised by the window
// manager (its window menu or a key) leaves the windows on the screen ignoring every click.
// Installed once on the application, this filter sees those presses first and brings the
// dialog back, together with the windows above which it stands when they were minimised with it
// (a window manager minimises a dialog's owner with it). The press itself stays dropped.
class ModalDialogRecall final : public QAbstractNativeEventFilter {
  public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
};
