// The home page: one card per module under a heading. A press anywhere on a card asks the main window to
// open that module; the page itself knows nothing of the modules but their ids.
#pragma once

#include <QWidget>

namespace Ui {
class HomeForm;
}

class HomeForm : public QWidget
{
    Q_OBJECT

public:
    explicit HomeForm(QWidget *parent = nullptr);
    ~HomeForm() override;

    // The size at which every card shows without scrolling.
    QSize sizeShowingAllCards() const;

signals:
    void openModule(int id);

private slots:
    void on_AutoDarkModeLabel_clicked();
    void on_AutoWallpaperChanger_clicked();
    void on_FolderSizeAnalyzer_clicked();
    void on_FindDuplicate_clicked();
    void on_MyTrayIcon_clicked();
    void on_ProcessManager_clicked();
    void on_SecureDelete_clicked();
    void on_SmartShortcut_clicked();
    void on_SystemInformation_clicked();
    void on_TrackCleaner_clicked();
    void on_TransparentTaskbar_clicked();
    void on_Troubleshooter_clicked();
    void on_Hushdeck_clicked();

private:
    Ui::HomeForm *ui;
};
