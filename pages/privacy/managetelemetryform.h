// The telemetry level policy (setting 301) and the start type of the telemetry service "diagtrack" (302),
// with the service's current status. The one page that talks to the Service Control Manager.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class ManageTelemetryForm;
}

class ManageTelemetryForm : public SettingPage
{
    Q_OBJECT

public:
    explicit ManageTelemetryForm(QWidget *parent = nullptr);
    ~ManageTelemetryForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

    // Run state and start type of a service, with their names; false (and nothing set) when the service
    // cannot be asked.
    bool checkServiceStat(QString service, QString &stateName, QString &startTypeName, unsigned int &startType);
    bool changeServiceStartType(QString service, int startType);
    // Asks for "diagtrack", shows its status line and returns its start type (0 when it cannot be asked).
    unsigned int refreshDiagTrackStatus();

private slots:
    void on_ManageTelemetryComboBox_currentTextChanged(const QString &text);
    void on_ManageTelemetryPushButton_clicked();
    void on_diagTrackComboBox_currentIndexChanged(int index);
    void on_diagTrackPushButton_clicked();

private:
    bool writeDiagTrackStartType(int startType);

    Ui::ManageTelemetryForm *ui;
    // The start type that the last status query returned.
    unsigned int diagTrackStartType = 0;
    ChoiceSetting telemetry; // 301
    ChoiceSetting diagTrack; // 302
};
