#pragma once

#include <span>

namespace gui {

// What kind of widget a dialog template entry becomes.
enum class ControlKind {
  Static,       // a text label
  GroupBox,     // a captioned frame drawn behind the controls it groups
  Edit,         // a one-line text box
  PushButton,   // a command button
  RadioButton,  // one choice of an auto-exclusive group
  ListView,     // a report list with column headers
  Trackbar,     // a horizontal slider, 0 to 100
  UpDown,       // the frame-number arrows
  FramePlayer,  // the preview of the current frame
};

// Style notes of a template entry, or-ed together.
enum ControlStyle : unsigned {
  StyleNone = 0,
  StyleDisabled = 1u << 0,      // created disabled
  StyleHidden = 1u << 1,        // never shown
  StyleGroupStart = 1u << 2,    // first button of a radio group
  StyleDefault = 1u << 3,       // the default push button (Enter)
  StyleReadOnly = 1u << 4,      // text box the user cannot type into
  StyleDigitsOnly = 1u << 5,    // text box that takes digits only
  StyleRightAligned = 1u << 6,  // text drawn against the right edge
  StyleBlackFrame = 1u << 7,    // a thin dark frame around the area
  StyleBorder = 1u << 8,        // a sunken border
  StyleNoTicks = 1u << 9,       // trackbar without tick marks
  StyleBothSides = 1u << 10,    // trackbar thumb pointing both ways
  StyleArrowKeys = 1u << 11,    // up-down that answers the arrow keys
  StyleAlignRight = 1u << 12,   // up-down placed against its buddy's right edge
};

// Controls without a numeric id (labels, the group box) use this one.
inline constexpr int kNoId = -1;

// One control of a dialog template; the rectangle is in dialog units.
struct DialogControl {
  int id;
  ControlKind kind;
  const char* caption;  // empty for none
  int x;
  int y;
  int width;
  int height;
  unsigned style;
};

// A dialog template: client size in dialog units, font and caption, and the
// controls in creation (and tab) order.
struct DialogTemplate {
  int width;
  int height;
  const char* fontFace;
  int fontPointSize;
  const char* caption;
  std::span<const DialogControl> controls;
};

// One command of a popup menu.
struct MenuCommand {
  int id;
  const char* text;
};

// Dialog template 102, the main window.
const DialogTemplate& mainDialogTemplate();

// The popup of menu 131, the context menu of the main window, in display order.
std::span<const MenuCommand> contextMenuCommands();

}  // namespace gui
