// The settings catalogue page. Stands in until the catalogue is built: it keeps the interface the main
// window relies on (the Save action's enabled state, OnSave, the save-button signals).
#pragma once

#include <QAction>
#include <QWidget>

class HushdeckForm : public QWidget
{
    Q_OBJECT

public:
    explicit HushdeckForm(QWidget *parent = nullptr);

    // Enabled while unsaved changes are pending.
    QAction *saveAction;

public slots:
    void OnSave(bool checked = false);

signals:
    void enableSaveButton();
    void disableSaveButton();
};
