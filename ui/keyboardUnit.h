#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The keys users expect of every window: Enter presses the focused button, and the context-menu
// combination Shift+F10 stands for the Menu key.

#include <QObject>

class QKeyEvent;

// Enter on the main keyboard or the keypad, without Ctrl, Alt or Meta.
bool isEnterKey(const QKeyEvent& event);

// Shift+F10, the keyboard's other way to ask for a context menu.
bool isContextMenuKey(const QKeyEvent& event);

// Installed once on the application: Enter on a focused push button or tool button presses it,
// in every window, as Space does. Qt leaves Enter to a dialog's default button and to buttons
// marked to become the default when focused, and both draw a frame of their own; the other
// buttons keep their look and are pressed here.
class EnterPressesFocusedButton final : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
