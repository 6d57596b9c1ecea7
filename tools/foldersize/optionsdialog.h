// Which file categories the analyzer's scans take into account: one tick per category, kept in the
// analyzer's registry key and in the page's own category list.
#pragma once

#include "krutils.h"

#include <QDialog>
#include <QList>

namespace Ui {
class OptionsDialog;
}

class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OptionsDialog(QWidget *parent = nullptr);
    ~OptionsDialog() override;

    // The analyzer page's list; the dialog edits the enabled flags in place.
    QList<FileCategory> *categories = nullptr;

    void fillTree();

private slots:
    void on_closeButton_clicked();
    void on_saveButton_clicked();

private:
    Ui::OptionsDialog *ui;
};
