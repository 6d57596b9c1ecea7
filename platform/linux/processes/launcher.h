// The stand-in's launcher: every program started by name goes through it. Our own two programs start for
// real from the installation folder (the folder of the running program); others map to a host equivalent
// where one exists, and everything is logged in the machine ("Start"). With the machine setting
// "launcher.host" = "0" (tests) nothing of the host is opened; our own programs still start.
#pragma once

#include <QString>
#include <QStringList>

class QProcess;
class QProcessEnvironment;

namespace launcher {

// The host program and arguments a Windows program name maps to; empty program when there is none.
bool mapProgram(const QString &program, const QStringList &arguments, QString *hostProgram, QStringList *hostArguments);
bool isOwnProgram(const QString &program, QString *hostPath = nullptr);
// A program named with a folder must be in that folder (our own programs are found there with or without
// ".exe"); one named bare is looked for by Windows along its search path, which the launcher leaves to the
// mapping and the log.
bool missingProgram(const QString &program);
// The environment of a program the launcher starts: the host's, with the machine named by its absolute path,
// so that a program started in another folder (our own start in the install folder) opens the same machine.
QProcessEnvironment environment();

} // namespace launcher
