#pragma once
// What the window tests share: a window's control by its name, and the faults of a window's
// layout as a person would see them.

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

// The control `name` of `window`; a missing control ends the test program.
template <class Control>
Control* control(const QObject& window, const QString& name) {
    Control* found = window.findChild<Control*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
}

// The window's named controls that show (Qt's inner parts and windows of their own left out)
// must each lie wholly inside the widget that holds it, and none may cover another unless it
// holds it; neighbours may share their edge line. Returns one line a fault, empty when none.
inline QString layoutFaults(const QWidget& window) {
    QList<const QWidget*> shown;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_") &&
            !widget->isWindow() && widget->isVisibleTo(&window))
            shown.append(widget);
    }
    const auto area = [&window](const QWidget* widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    QStringList faults;
    for (qsizetype one = 0; one < shown.size(); ++one) {
        const QWidget* widget = shown[one];
        if (!widget->parentWidget()->rect().contains(widget->geometry()))
            faults.append(widget->objectName() + " is cut off by its holder");
        for (const QWidget* other : shown.mid(one + 1)) {
            const QRect common = area(widget) & area(other);
            if (!widget->isAncestorOf(other) && !other->isAncestorOf(widget) &&
                common.width() > 1 && common.height() > 1)
                faults.append(widget->objectName() + " covers " + other->objectName());
        }
    }
    return faults.join(QLatin1Char('\n'));
}
