#include "app/gui/dialog_template.h"

#include <array>

namespace gui {
namespace {

// Dialog 102. The order is the creation order, which is also the tab order and the
// stacking order (the group box comes before the controls it frames).
constexpr std::array kMainControls = {
    DialogControl{1022, ControlKind::FramePlayer, "", 7, 7, 321, 255, kStyleBlackFrame},
    DialogControl{1002, ControlKind::ListView, "", 330, 7, 178, 75, kStyleBorder},
    DialogControl{kNoId, ControlKind::GroupBox, "Export Config", 331, 88, 177, 175, kStyleNone},
    DialogControl{kNoId, ControlKind::Static, "Captured and Converted file directory", 341, 105,
                  155, 8, kStyleNone},
    DialogControl{1042, ControlKind::Edit, "", 338, 118, 147, 14, kStyleDisabled},
    DialogControl{1040, ControlKind::PushButton, "...", 490, 117, 18, 14, kStyleNone},
    DialogControl{1014, ControlKind::RadioButton, "1/2 Original Size", 343, 140, 91, 10,
                  kStyleGroupStart},
    DialogControl{1015, ControlKind::RadioButton, "Original Size", 343, 161, 85, 10, kStyleNone},
    DialogControl{1016, ControlKind::RadioButton, "2x Original Size", 343, 182, 87, 10, kStyleNone},
    DialogControl{1017, ControlKind::RadioButton, "3x Original Size", 343, 203, 81, 10, kStyleNone},
    DialogControl{1018, ControlKind::RadioButton, "Custom", 343, 224, 40, 10, kStyleNone},
    DialogControl{1019, ControlKind::Edit, "", 387, 223, 30, 14, kStyleNone},
    DialogControl{kNoId, ControlKind::Static, "x", 422, 225, 8, 8, kStyleNone},
    DialogControl{1020, ControlKind::Edit, "", 432, 223, 29, 14, kStyleNone},
    DialogControl{kNoId, ControlKind::Static, "Frame Rate:", 344, 244, 41, 11, kStyleNone},
    DialogControl{1024, ControlKind::Edit, "", 387, 244, 33, 14, kStyleNone},
    DialogControl{kNoId, ControlKind::Static, "FPS", 435, 247, 15, 8, kStyleNone},
    DialogControl{1006, ControlKind::PushButton, "Export BMP", 252, 177, 50, 14, kStyleHidden},
    DialogControl{1007, ControlKind::PushButton, "Export Tga", 253, 203, 50, 14, kStyleHidden},
    DialogControl{1010, ControlKind::Trackbar, "", 9, 268, 314, 15,
                  kStyleDisabled | kStyleNoTicks | kStyleBothSides},
    DialogControl{1013, ControlKind::UpDown, "", 352, 267, 11, 14,
                  kStyleArrowKeys | kStyleAlignRight},
    DialogControl{1012, ControlKind::Edit, "", 369, 268, 33, 14, kStyleReadOnly | kStyleDigitsOnly},
    DialogControl{1011, ControlKind::Static, "Static", 410, 270, 19, 8, kStyleRightAligned},
    DialogControl{1005, ControlKind::PushButton, "Open File", 18, 289, 50, 14, kStyleDefault},
    DialogControl{1003, ControlKind::PushButton, "Start", 80, 289, 50, 14, kStyleNone},
    DialogControl{1004, ControlKind::PushButton, "Pause", 142, 289, 50, 14, kStyleNone},
    DialogControl{1008, ControlKind::PushButton, "Convert To Swf", 204, 289, 57, 14, kStyleNone},
    DialogControl{1026, ControlKind::PushButton, "About Us", 286, 289, 50, 14, kStyleNone},
    DialogControl{1027, ControlKind::PushButton, "Help", 341, 289, 50, 14, kStyleNone},
    DialogControl{1033, ControlKind::PushButton, "Exit", 451, 289, 50, 14, kStyleNone},
};

constexpr DialogTemplate kMainTemplate{
    515,          310, "Microsoft Sans Serif", 8, "Quorvex 1.0 Convert Gif File To Flash File",
    kMainControls};

constexpr std::array kContextMenu = {
    MenuCommand{32771, "ExportSingle"},
    MenuCommand{32772, "Export BMP Sequences"},
    MenuCommand{32773, "Export Tga Sequences"},
};

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainTemplate; }

std::span<const MenuCommand> ContextMenuCommands() { return kContextMenu; }

}  // namespace gui
