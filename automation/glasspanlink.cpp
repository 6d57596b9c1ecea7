#include "glasspanlink.h"

#include "glasspanmessages.h"
#include "krutils.h"

#include <QAction>
#include <QIcon>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

namespace glasspanlink {

namespace {

QString helperProgram()
{
    KRUtils utils;
    return utils.appPath() + QStringLiteral("\\Glasspan.exe");
}

} // namespace

HWND findWindow()
{
    return FindWindowW(GLASSPAN_WINDOW_CLASS, GLASSPAN_WINDOW_TITLE);
}

void post(HWND window, UINT message, WPARAM wParam)
{
    if (window)
        PostMessageW(window, message, wParam, 0);
}

void start(QWidget *owner, const QString &arguments)
{
    const QString program = helperProgram();
    // The top-level window owns any box the start may show; a page of its own would turn into a native child.
    HWND ownerWindow = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    ShellExecuteW(ownerWindow, WSTR("open"), wstr(program), arguments.isEmpty() ? nullptr : wstr(arguments), nullptr,
                  SW_HIDE);
}

void writeRunValue()
{
    KRUtils utils;
    utils.writeRegString(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                         QStringLiteral("TransparentTaskbar"), QLatin1Char('"') + helperProgram() + QLatin1Char('"'));
}

void switchOn(QWidget *owner, UINT first, UINT second, WPARAM secondParam, const QString &arguments)
{
    HWND helper = findWindow();
    if (helper) {
        post(helper, first);
        post(helper, second, secondParam);
    } else {
        start(owner, arguments);
    }
    writeRunValue();
}

QAction *addToolbar(QWidget *page, QVBoxLayout *layout, const QString &text, const QString &icon)
{
    auto *toolbar = new QToolBar(page);
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setOrientation(Qt::Horizontal);
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->setIconSize(QSize(24, 24));
    auto *action = new QAction(QIcon(icon), text, page);
    toolbar->addAction(action);
    layout->addWidget(toolbar);
    return action;
}

} // namespace glasspanlink
