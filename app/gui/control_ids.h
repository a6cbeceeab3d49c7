#pragma once

namespace gui {

// The numeric id of every control and menu command of the program's dialogs, as their templates
// give them; every lookup of a control (item(id)) and every command goes by these.
enum ControlId : int {
  OkButton = 1,  // the About box's OK
  PropertyList = 1002,
  StartButton = 1003,
  PauseButton = 1004,
  OpenFileButton = 1005,
  ExportBmpButton = 1006,  // hidden: the context menu's sequence exports
  ExportTgaButton = 1007,
  ConvertButton = 1008,
  PositionTrackbar = 1010,
  FrameCountLabel = 1011,  // "/<frame count>"
  FrameNumberBox = 1012,
  FrameSpin = 1013,
  HalfSizeOption = 1014,
  OriginalSizeOption = 1015,
  DoubleSizeOption = 1016,
  TripleSizeOption = 1017,
  CustomSizeOption = 1018,
  CustomWidthBox = 1019,
  CustomHeightBox = 1020,
  ExportProgressBar = 1021,  // the export dialog's
  PreviewPlayer = 1022,
  ExportCountLabel = 1023,  // the export dialog's "%d/%d"
  FrameRateBox = 1024,
  AboutButton = 1026,
  HelpButton = 1027,
  HomepageLink = 1028,  // the About box's
  ExitButton = 1033,
  EmailLabel = 1037,  // the About box's
  BrowseOutputButton = 1040,
  OutputDirectoryBox = 1042,
  ExportSingleCommand = 32771,  // context menu 131
  ExportBmpSequenceCommand = 32772,
  ExportTgaSequenceCommand = 32773,
};

}  // namespace gui
