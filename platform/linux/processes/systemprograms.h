// Windows' own programs that the modules start from the machine's System folder ("ipconfig.exe",
// "wsreset.exe"): small scripts there hand them to our stand-in program "hushdeck-system" in the install
// folder, so a module starts them with QProcess as on Windows. The Explorer cache folder is seeded with a
// few icon and thumbnail cache databases.
#pragma once

#include <QString>

namespace systemprograms {

// Writes (or refreshes) the scripts in C:\Windows\System32 (systemDrive: the drive's host folder).
void install(const QString &systemDrive);
// The icon and thumbnail cache databases of a new machine's profile.
void seedCaches(const QString &systemDrive);

} // namespace systemprograms
