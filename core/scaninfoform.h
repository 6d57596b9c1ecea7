// The progress panel a module shows in place of its content while a long scan or deletion runs.
#pragma once

#include <QWidget>

namespace Ui {
class ScanInfoForm;
}

class ScanInfoForm : public QWidget
{
    Q_OBJECT

public:
    explicit ScanInfoForm(QWidget *parent = nullptr);
    ~ScanInfoForm() override;

    void setMessageText(QString text);
    void setDetailText(QString text);
    void setMaximum(int maximum);
    void stepProgress();
    void disableCancelButton();

signals:
    void scanCancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_pushButton_clicked();

private:
    void showDetailText();

    Ui::ScanInfoForm *ui;
    QString detailText; // in full; the label shows what fits
};
