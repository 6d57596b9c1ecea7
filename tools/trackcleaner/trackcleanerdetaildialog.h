// A plain list of what the last analysis collected for one kind of trace.
#pragma once

#include <QDialog>
#include <QStringList>

namespace Ui {
class TrackCleanerDetailDialog;
}

class TrackCleanerDetailDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TrackCleanerDetailDialog(QWidget *parent);
    ~TrackCleanerDetailDialog() override;

    // The page's list that the dialog shows; not owned.
    QStringList *items = nullptr;

    // Fills the list from items, in list order.
    void setItems();

private slots:
    void on_pushButton_clicked();

private:
    Ui::TrackCleanerDetailDialog *ui;
};
