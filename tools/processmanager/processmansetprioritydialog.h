// Changes the priority class of one process to one of five classes and tells the page the name chosen,
// only when the change was made.
#pragma once

#include <QDialog>

namespace Ui {
class ProcessManSetPriorityDialog;
}

class ProcessManSetPriorityDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProcessManSetPriorityDialog(QWidget *parent = nullptr);
    ~ProcessManSetPriorityDialog() override;

    void selectCurrentPriority();
    void showPriorityError();

    int processId = 0;
    QString applicationName;
    QString priorityName;
    // The row's process, as the page listed it: its program and creation time.
    QString imagePath;
    quint64 creationTime = 0;

signals:
    void priorityLevelChanged(QString priorityLevel);

private slots:
    void on_priorityPushButton_clicked();
    void on_cancelPushButton_clicked();

private:
    void finish();

    Ui::ProcessManSetPriorityDialog *ui;
};
