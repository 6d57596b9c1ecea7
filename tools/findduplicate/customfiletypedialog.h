// Edits the extension list of the category "Custom file types".
#pragma once

#include <QDialog>

namespace Ui {
class CustomFileTypeDialog;
}

class CustomFileTypeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CustomFileTypeDialog(QWidget *parent = nullptr);
    ~CustomFileTypeDialog() override;

signals:
    void optionsChanged();

private slots:
    void on_saveButton_clicked();
    void on_closeButton_clicked();

private:
    Ui::CustomFileTypeDialog *ui;
};
