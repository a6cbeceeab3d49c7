#include "app/gui/dialog_template.h"

#include <array>

#include "app/gui/control_ids.h"

namespace gui {
namespace {

// Dialog 102. The order is the creation order, which is also the tab order and the
// stacking order (the group box comes before the controls it frames).
constexpr std::array kMainControls = {
    DialogControl{PreviewPlayer, ControlKind::FramePlayer, "", 7, 7, 321, 255, StyleBlackFrame},
    DialogControl{PropertyList, ControlKind::ListView, "", 330, 7, 178, 75, StyleBorder},
    DialogControl{kNoId, ControlKind::GroupBox, "Export Config", 331, 88, 177, 175, StyleNone},
    DialogControl{kNoId, ControlKind::Static, "Captured and Converted file directory", 341, 105,
                  155, 8, StyleNone},
    DialogControl{OutputDirectoryBox, ControlKind::Edit, "", 338, 118, 147, 14, StyleDisabled},
    DialogControl{BrowseOutputButton, ControlKind::PushButton, "...", 490, 117, 18, 14, StyleNone},
    DialogControl{HalfSizeOption, ControlKind::RadioButton, "1/2 Original Size", 343, 140, 91, 10,
                  StyleGroupStart},
    DialogControl{OriginalSizeOption, ControlKind::RadioButton, "Original Size", 343, 161, 85, 10,
                  StyleNone},
    DialogControl{DoubleSizeOption, ControlKind::RadioButton, "2x Original Size", 343, 182, 87, 10,
                  StyleNone},
    DialogControl{TripleSizeOption, ControlKind::RadioButton, "3x Original Size", 343, 203, 81, 10,
                  StyleNone},
    DialogControl{CustomSizeOption, ControlKind::RadioButton, "Custom", 343, 224, 40, 10,
                  StyleNone},
    DialogControl{CustomWidthBox, ControlKind::Edit, "", 387, 223, 30, 14, StyleNone},
    DialogControl{kNoId, ControlKind::Static, "x", 422, 225, 8, 8, StyleNone},
    DialogControl{CustomHeightBox, ControlKind::Edit, "", 432, 223, 29, 14, StyleNone},
    DialogControl{kNoId, ControlKind::Static, "Frame Rate:", 344, 244, 41, 11, StyleNone},
    DialogControl{FrameRateBox, ControlKind::Edit, "", 387, 244, 33, 14, StyleNone},
    DialogControl{kNoId, ControlKind::Static, "FPS", 435, 247, 15, 8, StyleNone},
    DialogControl{ExportBmpButton, ControlKind::PushButton, "Export BMP", 252, 177, 50, 14,
                  StyleHidden},
    DialogControl{ExportTgaButton, ControlKind::PushButton, "Export Tga", 253, 203, 50, 14,
                  StyleHidden},
    DialogControl{PositionTrackbar, ControlKind::Trackbar, "", 9, 268, 314, 15,
                  StyleDisabled | StyleNoTicks | StyleBothSides},
    DialogControl{FrameSpin, ControlKind::UpDown, "", 352, 267, 11, 14,
                  StyleArrowKeys | StyleAlignRight},
    DialogControl{FrameNumberBox, ControlKind::Edit, "", 369, 268, 33, 14,
                  StyleReadOnly | StyleDigitsOnly},
    DialogControl{FrameCountLabel, ControlKind::Static, "Static", 410, 270, 19, 8,
                  StyleRightAligned},
    DialogControl{OpenFileButton, ControlKind::PushButton, "Open File", 18, 289, 50, 14,
                  StyleDefault},
    DialogControl{StartButton, ControlKind::PushButton, "Start", 80, 289, 50, 14, StyleNone},
    DialogControl{PauseButton, ControlKind::PushButton, "Pause", 142, 289, 50, 14, StyleNone},
    DialogControl{ConvertButton, ControlKind::PushButton, "Convert To Swf", 204, 289, 57, 14,
                  StyleNone},
    DialogControl{AboutButton, ControlKind::PushButton, "About Us", 286, 289, 50, 14, StyleNone},
    DialogControl{HelpButton, ControlKind::PushButton, "Help", 341, 289, 50, 14, StyleNone},
    DialogControl{ExitButton, ControlKind::PushButton, "Exit", 451, 289, 50, 14, StyleNone},
};

constexpr DialogTemplate kMainTemplate{
    515,          310, "Microsoft Sans Serif", 8, "Quorvex 1.0 Convert Gif File To Flash File",
    kMainControls};

constexpr std::array kContextMenu = {
    MenuCommand{ExportSingleCommand, "ExportSingle"},
    MenuCommand{ExportBmpSequenceCommand, "Export BMP Sequences"},
    MenuCommand{ExportTgaSequenceCommand, "Export Tga Sequences"},
};

}  // namespace

const DialogTemplate& mainDialogTemplate() { return kMainTemplate; }

std::span<const MenuCommand> contextMenuCommands() { return kContextMenu; }

}  // namespace gui
