#include "ui/template_dialog.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QValidator>

#include "ui/ip_address_control.h"
#include "ui/message_box.h"

// The icons are compiled into the static ui library; nothing there references their initialiser,
// so the linker would drop them unless it is called by name. Q_INIT_RESOURCE declares it in the
// global namespace, hence outside ours.
static void InitIconResources() { Q_INIT_RESOURCE(tessaro); }

namespace tessaro::ui {

namespace {

// The combo's edit field does not scroll horizontally: typed or pasted text must fit its width,
// measured with the dialog's font as the edit draws it.
class FitsWidthValidator final : public QValidator {
 public:
  explicit FitsWidthValidator(QLineEdit* edit) : QValidator(edit), m_edit(edit) {}
  State validate(QString& input, int&) const override {
    return m_edit->fontMetrics().horizontalAdvance(input) <= VisibleWidth() ? Acceptable : Invalid;
  }

 private:
  int VisibleWidth() const {
    constexpr int kLineEditMargin = 2;  // QLineEdit keeps this much free on each side of its text
    const QMargins margins = m_edit->textMargins();
    return m_edit->contentsRect().width() - margins.left() - margins.right() - 2 * kLineEditMargin;
  }
  QLineEdit* m_edit;
};

}  // namespace

CTemplateDialog::CTemplateDialog(const res::DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), m_template(dialogTemplate) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont(m_template.fontFace, m_template.fontPointSize));
  m_baseUnits = BaseUnitsOf(font());
  setWindowTitle(QString::fromUtf8(m_template.caption));
  setWindowIcon(AppIcon());
  setFixedSize(DialogUnitsToPixels(m_template.width, m_template.height, m_baseUnits));
  // Template order is creation order, and so the focus chain and the tab order.
  for (const res::ControlTemplate& control : m_template.controls) {
    QWidget* widget = CreateControl(control);
    widget->setObjectName(QString::fromLatin1(control.name));
    QRect geometry = DialogUnitsToPixels(control.rect, m_baseUnits);
    // A drop-down's template height is that of its open list; closed it is one line high.
    if (control.kind == res::ControlKind::ComboDropDown)
      geometry.setHeight(widget->sizeHint().height());
    widget->setGeometry(geometry);
  }
}

QIcon CTemplateDialog::AppIcon() {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/tessaro-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/icons/tessaro-16.png"), QSize(16, 16));
  return icon;
}

QWidget* CTemplateDialog::CreateControl(const res::ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  const bool tabStop = (control.styles & res::STYLE_TABSTOP) != 0;
  switch (control.kind) {
    case res::ControlKind::Static: {
      auto* label = new QLabel(text, this);
      label->setTextFormat(Qt::PlainText);  // no mnemonic or markup processing
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case res::ControlKind::StaticIcon: {
      auto* label = new QLabel(this);
      label->setPixmap(AppIcon().pixmap(32, 32));
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case res::ControlKind::Edit: {
      auto* edit = new QLineEdit(text, this);
      edit->setFrame((control.styles & res::STYLE_BORDER) != 0);
      return edit;
    }
    case res::ControlKind::PushButton:
    case res::ControlKind::DefaultPushButton: {
      auto* button = new QPushButton(text, this);
      // A focused button does not become the default: Enter on another control is OK, not a click.
      button->setAutoDefault(false);
      button->setDefault(control.kind == res::ControlKind::DefaultPushButton);
      button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      if (control.id == res::ID_OK) connect(button, &QPushButton::clicked, this, &QDialog::accept);
      return button;
    }
    case res::ControlKind::Progress: {
      auto* bar = new QProgressBar(this);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case res::ControlKind::ComboDropDown: {
      auto* combo = new QComboBox(this);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);  // typed text never joins the list
      combo->setDuplicatesEnabled(true);
      combo->lineEdit()->setValidator(new FitsWidthValidator(combo->lineEdit()));
      return combo;
    }
    case res::ControlKind::IpAddress:
      return new CIpAddressControl(this);
  }
  return new QWidget(this);
}

bool CTemplateDialog::UpdateData(bool) { return true; }

void CTemplateDialog::accept() {
  if (UpdateData(true)) done(res::ID_OK);
}

void CTemplateDialog::reject() { done(res::ID_CANCEL); }

void CTemplateDialog::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
      focused->click();
      return;
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
      if (button->isDefault() && button->isVisible()) {
        button->click();
        return;
      }
    }
    accept();
    return;
  }
  if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F1) {
    ShowHelpTopic(this, m_template.id);
    return;
  }
  QDialog::keyPressEvent(event);  // Esc: reject()
}

}  // namespace tessaro::ui
