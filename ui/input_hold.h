#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace tessaro::ui {

// Runs work on a worker thread while this thread keeps painting. Input for `window` made
// meanwhile (mouse, keys, wheel, context menu, text committed by an input method) is held and
// handed to its targets, in order, once the work is done. Windows of their own, such as a
// message box the work raises, take their input as usual.
class CInputHold : public QObject {
  Q_OBJECT

 public:
  explicit CInputHold(QWidget* window);
  ~CInputHold() override;

  void Run(const std::function<void()>& work);
  bool IsRunning() const { return m_running; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct HeldInput {
    QPointer<QObject> target;
    std::unique_ptr<QEvent> event;
  };

  void Replay();

  QWidget* m_window;
  bool m_running = false;
  std::vector<HeldInput> m_held;
};

}  // namespace tessaro::ui
