#include "ui/input_hold.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <atomic>
#include <thread>

namespace tessaro::ui {

namespace {

bool IsHeldInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:  // Hangul and other scripts composed through an input method
      return true;
    default:
      return false;
  }
}

}  // namespace

CInputHold::CInputHold(QWidget* window) : QObject(window), m_window(window) {}

CInputHold::~CInputHold() = default;

void CInputHold::Run(const std::function<void()>& work) {
  m_running = true;
  qApp->installEventFilter(this);
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    work();
    finished = true;
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);  // wakes the loop below
  });
  while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  QCoreApplication::sendPostedEvents();  // what the work posted, before the held input
  qApp->removeEventFilter(this);
  m_running = false;
  Replay();
}

bool CInputHold::eventFilter(QObject* watched, QEvent* event) {
  if (!m_running || !IsHeldInput(event->type())) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != m_window) return false;
  m_held.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
  return true;
}

void CInputHold::Replay() {
  std::vector<HeldInput> held = std::move(m_held);
  m_held.clear();
  for (HeldInput& input : held)
    if (input.target) QCoreApplication::postEvent(input.target, input.event.release());
}

}  // namespace tessaro::ui
