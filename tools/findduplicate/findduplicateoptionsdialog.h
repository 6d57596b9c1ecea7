// Which file categories take part in a duplicate scan; the way to the custom extension list.
#pragma once

#include "krutils.h"

#include <QDialog>

namespace Ui {
class FindDuplicateOptionsDialog;
}

class FindDuplicateOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindDuplicateOptionsDialog(QWidget *parent = nullptr);
    ~FindDuplicateOptionsDialog() override;

    // The page's category list, set before fillTree; the custom category is its last entry.
    QList<FileCategory> *categories = nullptr;
    void fillTree();

signals:
    void optionsChanged();

public slots:
    void on_closeButton_clicked();
    void on_saveButton_clicked();
    void on_addButton_clicked();
    void OnOptionsChanged();

private:
    Ui::FindDuplicateOptionsDialog *ui;
};
