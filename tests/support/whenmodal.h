// Answering a modal window from a test: the window runs its own event loop inside the call that shows it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

// Calls f once the dialog of type T is up and modal (started from inside the call that shows it).
template <typename T, typename F> void whenModal(F f)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            f(w);
        }
    });
    timer->start();
}
