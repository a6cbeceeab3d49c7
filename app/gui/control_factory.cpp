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

bool has(const DialogControl& control, ControlStyle style) { return (control.style & style) != 0; }

std::unique_ptr<QWidget> createStatic(const DialogControl& control, QWidget* parent) {
  auto label = std::make_unique<QLabel>(QString::fromUtf8(control.caption), parent);
  // Static text starts at the top of its rectangle.
  label->setAlignment(Qt::AlignTop |
                      (has(control, StyleRightAligned) ? Qt::AlignRight : Qt::AlignLeft));
  return label;
}

std::unique_ptr<QWidget> createEdit(const DialogControl& control, QWidget* parent) {
  auto edit = std::make_unique<QLineEdit>(parent);
  edit->setReadOnly(has(control, StyleReadOnly));
  if (has(control, StyleDigitsOnly)) edit->setInputMethodHints(Qt::ImhDigitsOnly);
  return edit;
}

std::unique_ptr<QWidget> createPushButton(const DialogControl& control, QWidget* parent) {
  auto button = std::make_unique<QPushButton>(QString::fromUtf8(control.caption), parent);
  button->setDefault(has(control, StyleDefault));
  return button;
}

std::unique_ptr<QWidget> createListView(QWidget* parent) {
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

std::unique_ptr<QWidget> createTrackbar(QWidget* parent) {
  auto slider = std::make_unique<QSlider>(Qt::Horizontal, parent);
  slider->setRange(0, 100);
  slider->setTickPosition(QSlider::NoTicks);
  return slider;
}

std::unique_ptr<QWidget> createWidget(const DialogControl& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::Static:
      return createStatic(control, parent);
    case ControlKind::GroupBox:
      return std::make_unique<QGroupBox>(QString::fromUtf8(control.caption), parent);
    case ControlKind::Edit:
      return createEdit(control, parent);
    case ControlKind::PushButton:
      return createPushButton(control, parent);
    case ControlKind::RadioButton:
      return std::make_unique<QRadioButton>(QString::fromUtf8(control.caption), parent);
    case ControlKind::ListView:
      return createListView(parent);
    case ControlKind::Trackbar:
      return createTrackbar(parent);
    case ControlKind::UpDown:
      return std::make_unique<CNumberSpin>(parent);
    case ControlKind::FramePlayer:
      return std::make_unique<CFramePlayer>(parent);
  }
  return std::make_unique<QWidget>(parent);
}

}  // namespace

std::unique_ptr<QWidget> createControl(const DialogControl& control, const DialogUnits& units,
                                       QWidget* parent) {
  std::unique_ptr<QWidget> widget = createWidget(control, parent);
  if (control.id != kNoId) {
    widget->setObjectName(QStringLiteral("item%1").arg(control.id));
  }
  widget->setGeometry(units.toPixels(control.x, control.y, control.width, control.height));
  if (has(control, StyleDisabled)) widget->setEnabled(false);
  if (has(control, StyleHidden)) widget->hide();
  return widget;
}

void attachUpDown(QWidget* upDown, QWidget* buddy) {
  const QRect box = buddy->geometry();
  const int width = upDown->width();
  buddy->setGeometry(box.x(), box.y(), box.width() - width, box.height());
  upDown->setGeometry(box.x() + box.width() - width, box.y(), width, box.height());
}

}  // namespace gui
