// The Troubleshooter module page. Stands in until the module itself is built: it shows the module's name and
// keeps the interface the main window relies on.
#pragma once

#include <QWidget>

class TroubleshooterForm : public QWidget
{
    Q_OBJECT

public:
    explicit TroubleshooterForm(QWidget *parent = nullptr);
};
