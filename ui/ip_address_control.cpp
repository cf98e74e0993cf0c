#include "ui/ip_address_control.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace tessaro::ui {

namespace {
constexpr int kFieldCount = 4;
}

CIpAddressControl::CIpAddressControl(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
  for (int index = 0; index < kFieldCount; ++index) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("field%1").arg(index));
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    field->setValidator(digits);
    // The whole control is one tab stop: only the first field takes the focus from Tab.
    field->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this, [this, index] { OnFieldEdited(index); });
    m_fields[static_cast<std::size_t>(index)] = field;
    if (index + 1 < kFieldCount) {
      auto* dot = new QLabel(QStringLiteral("."), this);
      dot->setObjectName(QStringLiteral("dot%1").arg(index));
      dot->setAlignment(Qt::AlignCenter);
    }
  }
  // The control itself takes no focus; asking it for focus gives it to the first field.
  setFocusProxy(m_fields[0]);
}

platform::Ipv4Address CIpAddressControl::GetAddress() const {
  platform::Ipv4Address address{};
  for (std::size_t index = 0; index < address.size(); ++index)
    address[index] = static_cast<std::uint8_t>(m_fields[index]->text().toInt());  // blank is 0
  return address;
}

bool CIpAddressControl::IsBlank() const {
  for (const QLineEdit* field : m_fields)
    if (!field->text().isEmpty()) return false;
  return true;
}

void CIpAddressControl::OnFieldEdited(int index) {
  QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
  if (field->text().toInt() > 255) field->setText(QStringLiteral("255"));
  if (field->text().size() == 3 && field->cursorPosition() == 3 && index + 1 < kFieldCount)
    MoveToField(index + 1, false);
}

void CIpAddressControl::MoveToField(int index, bool toEnd) {
  QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
  field->setFocus(Qt::OtherFocusReason);
  if (toEnd) {
    field->deselect();
    field->end(false);
  } else {
    field->selectAll();
  }
}

bool CIpAddressControl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const int index =
      static_cast<int>(std::find(m_fields.begin(), m_fields.end(), watched) - m_fields.begin());
  if (index >= kFieldCount) return false;
  QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Tab leaves the control from any field, as from the first one.
      if (index > 0) {
        m_fields[0]->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(m_fields[0], event);
        return true;
      }
      return false;
    case Qt::Key_Period:
      if (index + 1 < kFieldCount && !field->text().isEmpty()) MoveToField(index + 1, false);
      return true;
    case Qt::Key_Backspace:
      if (field->text().isEmpty() && index > 0) {
        MoveToField(index - 1, true);
        return true;
      }
      return false;
    case Qt::Key_Left:
      if (field->cursorPosition() == 0 && !field->hasSelectedText() && index > 0) {
        MoveToField(index - 1, true);
        return true;
      }
      return false;
    case Qt::Key_Right:
      if (field->cursorPosition() == field->text().size() && index + 1 < kFieldCount) {
        MoveToField(index + 1, false);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void CIpAddressControl::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  const QRect inner = contentsRect();
  const int dotWidth = fontMetrics().horizontalAdvance(QLatin1Char('.')) + 2;
  const int fieldWidth = (inner.width() - dotWidth * (kFieldCount - 1)) / kFieldCount;
  int x = inner.x();
  for (int index = 0; index < kFieldCount; ++index) {
    m_fields[static_cast<std::size_t>(index)]->setGeometry(x, inner.y(), fieldWidth,
                                                           inner.height());
    x += fieldWidth;
    if (index + 1 < kFieldCount) {
      if (auto* dot = findChild<QLabel*>(QStringLiteral("dot%1").arg(index)))
        dot->setGeometry(x, inner.y(), dotWidth, inner.height());
      x += dotWidth;
    }
  }
}

}  // namespace tessaro::ui
