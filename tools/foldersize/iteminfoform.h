// One tile of the analyzer's start page: a drive or a special folder with its large shell icon, its name, a
// second line, for drives a usage bar and the free space, an Info button and a Start button. The tile keeps
// nothing but its index; the page fills it through the setters.
#pragma once

#include <QWidget>

namespace Ui {
class ItemInfoForm;
}

class ItemInfoForm : public QWidget
{
    Q_OBJECT

public:
    explicit ItemInfoForm(QWidget *parent = nullptr);
    ~ItemInfoForm() override;

    int index = 0;

    void setName(QString name);
    void setDetail(QString detail);
    void setSizeText(QString text);
    void setUsage(int percent);
    void setIconFromPath(QString path);
    // A tile whose drive or folder is missing cannot start a scan.
    void setStartEnabled(bool enabled);
    // Folder tiles have no volume to measure.
    void hideUsage();

signals:
    void showDetails(int index);
    void startScan(int index);

private slots:
    void on_infoButton_clicked();
    void on_startButton_clicked();

private:
    Ui::ItemInfoForm *ui;
};
