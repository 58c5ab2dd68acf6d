#pragma once
// Drives modal windows without a person: acts on the next modal window of type T as soon as it
// is the active modal widget, polling the event loop that the window's exec() runs.

#include <QApplication>
#include <QTimer>
#include <functional>

template <class T>
void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer(qApp);
    auto attempts = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, act] {
        constexpr int kMaximumAttempts = 2000;  // ten seconds
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr && ++*attempts < kMaximumAttempts) return;
        timer->stop();
        timer->deleteLater();
        if (window != nullptr) act(window);
    });
    timer->start();
}
