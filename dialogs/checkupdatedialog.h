// Stands in until the dialog is built.
#pragma once

#include <QDialog>

class CheckUpdateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CheckUpdateDialog(QWidget *parent = nullptr);
};
