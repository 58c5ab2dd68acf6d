// Layer korvex_ui: the windows; includes Qt and every layer.

#include "ui/windowRecallUnit.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "platform/displayServer.h"

namespace {

void restoreIfMinimised(QWidget& window) {
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
}

// Whether a press on the top-level `window` meets the modal dialog `modal` rather than being
// blocked by it: the dialog itself, or a window of its own (its menus, its own dialogs).
bool belongsToDialog(const QWidget& window, const QWidget& modal) {
    for (const QWidget* owner = &window; owner != nullptr;
         owner = owner->parentWidget() != nullptr ? owner->parentWidget()->window() : nullptr)
        if (owner == &modal) return true;
    return false;
}

// The top-level window of the program that an X pointer press went to, if any.
QWidget* pressedWindow(const QByteArray& eventType, const void* message) {
    if (eventType != "xcb_generic_event_t") return nullptr;
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return nullptr;
    const std::uint32_t window = platform::pressedWindow(x11->connection(), message);
    QWidget* widget = window != 0 ? QWidget::find(window) : nullptr;
    return widget != nullptr ? widget->window() : nullptr;
}

}  // namespace

void bringWindowBack(QWidget& window) {
    restoreIfMinimised(window);
    window.show();
    window.raise();
    window.activateWindow();
}

void bringWindowBackUnlessInDialog(QWidget& window) {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog == &window) {
        bringWindowBack(window);
        return;
    }
    restoreIfMinimised(window);
    const bool showsWithoutActivating = window.testAttribute(Qt::WA_ShowWithoutActivating);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    window.setAttribute(Qt::WA_ShowWithoutActivating, showsWithoutActivating);
    // Without a window manager a newly shown window lies on top of everything.
    dialog->raise();
}

bool ModalDialogRecall::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return false;
    const QWidget* pressed = pressedWindow(eventType, message);
    if (pressed == nullptr || belongsToDialog(*pressed, *modal)) return false;
    // Brought back once the press has been dealt with, not in the middle of reading it.
    QMetaObject::invokeMethod(
        modal,
        [dialog = QPointer<QWidget>(modal)] {
            if (dialog == nullptr || !dialog->isVisible()) return;
            for (QWidget* owner = dialog->parentWidget(); owner != nullptr;
                 owner = owner->parentWidget())
                if (owner->isWindow()) restoreIfMinimised(*owner);
            bringWindowBack(*dialog);
        },
        Qt::QueuedConnection);
    return false;
}
