#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace gui {

// The skin the program themes itself with.
inline constexpr char kSkinName[] = "tamsel.u3";

// The skin's data as the program carries it: a resource of type "U3", id 144. It
// starts with the header line "USKN <version> <skin name>" and carries a Qt style
// sheet after it. A skin file of the same form among the program's data files
// (data_files.h) takes its place.
inline constexpr char kSkinResource[] = ":/U3/144";

// The bundled resource `path` (":/..."), registering the program's resources on
// first use; empty when there is no such resource.
QByteArray readResource(const QString& path);

// The style sheet of the skin named `skinName` in `skinData`; empty when the data
// does not start with "USKN", has no header line, or names another skin.
QString skinStyleSheet(const QByteArray& skinData, const QString& skinName);

// The style sheet of the skin named `skinName`: from the first file of that name in
// `directories` (FindDataFile) when it holds that skin, else from the bundled skin
// data; empty when neither is that skin.
QString findSkinStyleSheet(const QString& skinName, const QStringList& directories);

// Themes the running QApplication with the skin named `skinName`, found by
// FindSkinStyleSheet among the program's data folders: the Fusion style under the
// skin's style sheet, which every window created afterwards takes, message boxes and
// file dialogs included. Call once, before any window exists. False, with the look
// left as it was, when there is no such skin or no QApplication.
bool applySkin(const QString& skinName);

// The program's icon (icon 128).
QIcon appIcon();

}  // namespace gui
