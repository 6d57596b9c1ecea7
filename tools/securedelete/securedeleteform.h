// The Secure Delete module page. Stands in until the module itself is built: it shows the module's name and
// keeps the interface the main window relies on.
#pragma once

#include <QWidget>

class SecureDeleteForm : public QWidget
{
    Q_OBJECT

public:
    explicit SecureDeleteForm(QWidget *parent = nullptr);
    // Work that outlasts a close request: the main window reads these flags and asks the page to stop.
    bool deleteRunning = false;
    bool closePending = false;
    bool cancelled = false;
    void requestClose();

signals:
    void closeApp();
};
