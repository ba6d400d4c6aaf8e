#pragma once

#include <QString>

namespace Files {

// The file a name typed in the Windows manner stands for on this system.
// "C:\oss\x.txt" lies in <dataFolder>/vevurid/drive_c/oss/x.txt; the folder of
// drive C is created here, the first time a command needs it. Other drive
// letters map to drive_<letter> beside it, which is never created, so a save
// there fails as into any missing folder. A name without a drive letter is
// used as typed.
QString localPath(const QString &dataFolder, const QString &name);

} // namespace Files
