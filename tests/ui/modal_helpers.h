#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tessaro::testing {

// Waits (while the test's own code may be blocked in a nested loop) for a modal window of class
// `Window` other than `besides`, then hands it to `act` once. A QVERIFY inside `act` would only
// return from `act`: record what is seen there and check it in the test itself.
template <typename Window>
void WhenModal(std::function<void(Window*)> act, QWidget* besides = nullptr) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act, besides] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* window = qobject_cast<Window*>(modal);
    if (window == nullptr || modal == besides || !window->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(window);
  });
  timer->start(10);
}

}  // namespace tessaro::testing
