// The About box: product name, the Windows generation it is made for, the installed version and a link
// to the maker's web site.
#pragma once

#include <QDialog>

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

private slots:
    void on_closeButton_clicked();

private:
    Ui::AboutDialog *ui;
};
