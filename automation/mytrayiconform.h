// The My Tray Icon module page: one switch for the helper's notification-area icon.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

class MyTrayIconForm : public QWidget
{
    Q_OBJECT

public:
    explicit MyTrayIconForm(QWidget *parent = nullptr);

private slots:
    void on_checkBox_toggled(bool checked);

private:
    void applyTrayIcon();

    QCheckBox *checkBox;
    QLabel *label;
    QLabel *label_2;
    QLabel *label_3;
    bool loaded = false;
};
