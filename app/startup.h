// Start-up steps of the main program.
#pragma once

#include <QString>

#include <memory>

class MainWindow;

// Sets installPath from the recorded "Path"; when none is recorded, records the program's own folder.
void recordInstallPath();

// The main window's title, which names the edition.
QString mainWindowTitle();

// What the program does once the application object exists: checks the machine, records the installation
// folder and shows the titled main window. nullptr when the machine cannot be used (the user has been told).
std::unique_ptr<MainWindow> startMainWindow();
