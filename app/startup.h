// Start-up steps of the main program that run before the main window exists.
#pragma once

// Sets installPath from the recorded "Path"; when none is recorded, records the program's own folder.
void recordInstallPath();
