#pragma once

#include <QString>
#include <QStringList>

namespace gui {

// The program's help page, installed with the skin among its data files.
inline constexpr char kHelpPageName[] = "quorvexhelp.html";

// The folders that may hold the program's data files, in search order: `appDirectory`
// (the executable's folder, where a build tree keeps them), then the installed data
// folder relative to it ("../share/quorvex" for a standard install, so an installed
// tree can be moved as a whole). Empty when `appDirectory` is empty.
QStringList dataDirectories(const QString& appDirectory);

// DataDirectories of the running executable's folder.
QStringList dataDirectories();

// The path of the first regular file called `name` in `directories`; empty when
// none of them has one.
QString findDataFile(const QString& name, const QStringList& directories = dataDirectories());

// The installed help page; empty when it is missing.
QString findHelpPage();

}  // namespace gui
