// Layer korvex_ui: the windows; includes Qt and every layer.

#include "ui/keyboardUnit.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

bool isEnterKey(const QKeyEvent& event) {
    constexpr Qt::KeyboardModifiers kCommandModifiers =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           !(event.modifiers() & kCommandModifiers);
}

bool isContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_F10 &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

bool EnterPressesFocusedButton::eventFilter(QObject* watched, QEvent* event) {
    // Keys reach a button only while it has the focus.
    if (event->type() != QEvent::KeyPress || !isEnterKey(*static_cast<QKeyEvent*>(event)))
        return false;
    auto* pushButton = qobject_cast<QPushButton*>(watched);
    auto* toolButton = qobject_cast<QToolButton*>(watched);
    // Default buttons and those that become the default when focused answer Enter themselves.
    if (pushButton != nullptr && !pushButton->isDefault() && !pushButton->autoDefault())
        pushButton->click();
    else if (toolButton != nullptr)
        toolButton->click();
    else
        return false;
    return true;
}
