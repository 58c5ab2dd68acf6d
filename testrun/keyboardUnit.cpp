#include "testrun/keyboardUnit.h"

#include <QKeyEvent>
#include <QPushButton>

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
    if (event->type() != QEvent::KeyPress || !isEnterKey(*static_cast<QKeyEvent*>(event)))
        return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    // Default buttons and those that become the default when focused answer Enter themselves.
    if (button == nullptr || button->isDefault() || button->autoDefault() || !button->hasFocus())
        return false;
    button->click();
    return true;
}
