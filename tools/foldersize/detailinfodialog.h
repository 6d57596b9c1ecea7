// Everything known of one drive: its general values and its file-system features, each feature with a
// check or a cross.
#pragma once

#include "krutils.h"

#include <QDialog>
#include <QList>
#include <QStandardItemModel>

class QStandardItem;

namespace Ui {
class DetailInfoDialog;
}

class DetailInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DetailInfoDialog(QWidget *parent = nullptr);
    ~DetailInfoDialog() override;

    void fill(const DriveInfo &drive);

private slots:
    void on_closeButton_clicked();

private:
    QList<QStandardItem *> makeGroupRow(const QString &name);
    QList<QStandardItem *> makeValueRow(const QString &name, const QString &value);
    QList<QStandardItem *> makeFlagRow(const QString &name, bool set);

    Ui::DetailInfoDialog *ui;
    QStandardItemModel model;
};
