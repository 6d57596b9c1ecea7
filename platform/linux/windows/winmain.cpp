// The entry point of a Win32 program on Linux. It makes the Qt application that the stand-in works in
// (a QApplication where there is a display, for the tray icon, menus and boxes), sets the C runtime's
// number format to Windows' default, and calls wWinMain with the command line as Windows passes it: the
// arguments after the program name, in one string.
#include "win32.h"

#include <QApplication>
#include <QCoreApplication>
#include <clocale>
#include <memory>

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd);

namespace {

QString quoted(const QString &argument)
{
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString out = argument;
    out.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

int main(int argc, char **argv)
{
    const bool display = qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
                         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    std::unique_ptr<QCoreApplication> app;
    if (display) {
        auto *gui = new QApplication(argc, argv);
        gui->setQuitOnLastWindowClosed(false);
        app.reset(gui);
    } else {
        app.reset(new QCoreApplication(argc, argv));
    }
    std::setlocale(LC_NUMERIC, "C");

    QStringList parts;
    const QStringList arguments = app->arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        parts << quoted(arguments.at(i));
    std::u16string commandLine = parts.join(QLatin1Char(' ')).toStdU16String();
    return wWinMain(GetModuleHandleW(nullptr), nullptr, commandLine.data(), 10 /* SW_SHOWDEFAULT */);
}
