#pragma once

#include <QWidget>
#include <memory>

#include "app/gui/dialog_template.h"
#include "app/gui/dialog_units.h"

namespace gui {

// Creates the widget for one template entry as a child of `parent`, placed at the
// entry's rectangle converted to pixels, with its caption and style notes applied.
// Entries with an id get the object name "item<id>". Never null. The caller keeps
// the widget and must release it before `parent` is destroyed (a child deleted
// first leaves its parent's list of children).
std::unique_ptr<QWidget> createControl(const DialogControl& control, const DialogUnits& units,
                                       QWidget* parent);

// Places an up-down control against the right edge of its buddy box, narrowing the
// box by the control's width, the way an up-down with automatic buddy and right
// alignment attaches itself.
void attachUpDown(QWidget* upDown, QWidget* buddy);

}  // namespace gui
