// The modules and threads of one process, read once when the page asks; ended by its OK button.
#pragma once

#include <QDialog>
#include <QStandardItemModel>

namespace Ui {
class ProcessManMoreInfoDialog;
}

class ProcessManMoreInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProcessManMoreInfoDialog(QWidget *parent = nullptr);
    ~ProcessManMoreInfoDialog() override;

    void loadProcessInfo();
    bool loadModules(int processId);
    bool loadThreads(int processId);

    int processId = 0;

private slots:
    void on_pushButton_clicked();

private:
    Ui::ProcessManMoreInfoDialog *ui;
    QStandardItemModel modulesModel; // no Qt parent: the dialog owns both
    QStandardItemModel threadsModel;
};
