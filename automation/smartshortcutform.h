// The Smart Shortcut module page. Stands in until the module itself is built: it shows the module's name and
// keeps the interface the main window relies on.
#pragma once

#include <QWidget>

class SmartShortcutForm : public QWidget
{
    Q_OBJECT

public:
    explicit SmartShortcutForm(QWidget *parent = nullptr);
};
