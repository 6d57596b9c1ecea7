// Chooses the shredding method and the passes of the random method, for the page and in the registry.
#pragma once

#include <QDialog>

struct SecureDeleteOptions;

namespace Ui {
class SecureDeleteOptionsDialog;
}

class SecureDeleteOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SecureDeleteOptionsDialog(QWidget *parent = nullptr);
    ~SecureDeleteOptionsDialog() override;

    Ui::SecureDeleteOptionsDialog *ui;
    SecureDeleteOptions *options = nullptr;

    void loadOptions();

private slots:
    void on_closeButton_clicked();
    void on_saveButton_clicked();
    void on_randomRadioButton_toggled(bool checked);
};
