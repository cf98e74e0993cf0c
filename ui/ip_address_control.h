#pragma once

#include <QFrame>
#include <array>

#include "platform/ipv4_address.h"

class QLineEdit;

namespace tessaro::ui {

// Four fields of 0..255 with dots between, one tab stop. Only digits go in; a field moves on to
// the next after three digits or on "."; Backspace in an empty field goes back; a value above 255
// becomes 255. A blank field reads as 0.
class CIpAddressControl : public QFrame {
  Q_OBJECT

 public:
  explicit CIpAddressControl(QWidget* parent = nullptr);

  // Field 0 first.
  platform::Ipv4Address GetAddress() const;
  bool IsBlank() const;
  QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnFieldEdited(int index);
  void MoveToField(int index, bool toEnd);

  std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace tessaro::ui
