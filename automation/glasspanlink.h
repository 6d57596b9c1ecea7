// How the automation pages reach the helper: find its window, post to it, start it, and record it for the
// user's logon. The order of these steps around the registry writes is each page's own.
#pragma once

#include "win32.h"

#include <QString>

class QAction;
class QToolBar;
class QVBoxLayout;
class QWidget;

namespace glasspanlink {

// The helper's window, or null when the helper does not run.
HWND findWindow();
// Posts one message to a window found before; nothing when there is none.
void post(HWND window, UINT message, WPARAM wParam = 0);
// Starts the helper hidden from the installation folder, with an optional argument.
void start(QWidget *owner, const QString &arguments = QString());
// The Run value that starts the helper at logon: its full path in double quotes.
void writeRunValue();
// A feature switched on, its values already written: a running helper gets `first` and then `second`
// (with secondParam), an absent one is started with `arguments`; then the Run value is written.
void switchOn(QWidget *owner, UINT first, UINT second, WPARAM secondParam = 0, const QString &arguments = QString());

// The automation pages' toolbar: horizontal, fixed, text beside 24x24 icons, with one action.
QAction *addToolbar(QWidget *page, QVBoxLayout *layout, const QString &text, const QString &icon);

} // namespace glasspanlink
