#include "app/gui/control_factory.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>
#include <memory>

#include "app/gui/frame_player.h"
#include "app/gui/number_spin.h"

namespace gui {
namespace {

bool Has(const DialogControl& control, ControlStyle style) { return (control.style & style) != 0; }

std::unique_ptr<QWidget> CreateStatic(const DialogControl& control, QWidget* parent) {
  auto label = std::make_unique<QLabel>(QString::fromUtf8(control.caption), parent);
  // Static text starts at the top of its rectangle.
  label->setAlignment(Qt::AlignTop |
                      (Has(control, kStyleRightAligned) ? Qt::AlignRight : Qt::AlignLeft));
  return label;
}

std::unique_ptr<QWidget> CreateEdit(const DialogControl& control, QWidget* parent) {
  auto edit = std::make_unique<QLineEdit>(parent);
  edit->setReadOnly(Has(control, kStyleReadOnly));
  if (Has(control, kStyleDigitsOnly)) edit->setInputMethodHints(Qt::ImhDigitsOnly);
  return edit;
}

std::unique_ptr<QWidget> CreatePushButton(const DialogControl& control, QWidget* parent) {
  auto button = std::make_unique<QPushButton>(QString::fromUtf8(control.caption), parent);
  button->setDefault(Has(control, kStyleDefault));
  return button;
}

std::unique_ptr<QWidget> CreateListView(QWidget* parent) {
  auto list = std::make_unique<QTreeWidget>(parent);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  return list;
}

std::unique_ptr<QWidget> CreateTrackbar(QWidget* parent) {
  auto slider = std::make_unique<QSlider>(Qt::Horizontal, parent);
  slider->setRange(0, 100);
  slider->setTickPosition(QSlider::NoTicks);
  return slider;
}

std::unique_ptr<QWidget> CreateWidget(const DialogControl& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::Static:
      return CreateStatic(control, parent);
    case ControlKind::GroupBox:
      return std::make_unique<QGroupBox>(QString::fromUtf8(control.caption), parent);
    case ControlKind::Edit:
      return CreateEdit(control, parent);
    case ControlKind::PushButton:
      return CreatePushButton(control, parent);
    case ControlKind::RadioButton:
      return std::make_unique<QRadioButton>(QString::fromUtf8(control.caption), parent);
    case ControlKind::ListView:
      return CreateListView(parent);
    case ControlKind::Trackbar:
      return CreateTrackbar(parent);
    case ControlKind::UpDown:
      return std::make_unique<CNumberSpin>(parent);
    case ControlKind::FramePlayer:
      return std::make_unique<CFramePlayer>(parent);
  }
  return std::make_unique<QWidget>(parent);
}

}  // namespace

std::unique_ptr<QWidget> CreateControl(const DialogControl& control, const DialogUnits& units,
                                       QWidget* parent) {
  std::unique_ptr<QWidget> widget = CreateWidget(control, parent);
  if (control.id != kNoId) {
    widget->setObjectName(QStringLiteral("item%1").arg(control.id));
  }
  widget->setGeometry(units.ToPixels(control.x, control.y, control.width, control.height));
  if (Has(control, kStyleDisabled)) widget->setEnabled(false);
  if (Has(control, kStyleHidden)) widget->hide();
  return widget;
}

void AttachUpDown(QWidget* upDown, QWidget* buddy) {
  const QRect box = buddy->geometry();
  const int width = upDown->width();
  buddy->setGeometry(box.x(), box.y(), box.width() - width, box.height());
  upDown->setGeometry(box.x() + box.width() - width, box.y(), width, box.height());
}

}  // namespace gui
