// The Auto Dark Mode module page: the helper's light/dark colour-mode schedule, either at sunrise and sunset
// of the user's position or at fixed times. It shows today's sun times with the helper's own computation.
#pragma once

#include "win32.h"

#include <QGeoPositionInfo>
#include <QTime>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QGeoPositionInfoSource;
class QGroupBox;
class QLabel;
class QSpinBox;

// Where the page gets its position source; the system's default source unless replaced (tests).
using PositionSourceFactory = QGeoPositionInfoSource *(*)(QObject *parent);
extern PositionSourceFactory positionSourceFactory;

// A time of day on the 12-hour clock: 0:xx is 12:xx AM, 12:xx is 12:xx PM.
struct ClockTime12
{
    int hour = 0; // 1..12
    int minute = 0;
    int period = 0; // 0 AM, 1 PM
};
ClockTime12 toClockTime12(const QTime &time);

class AutoDarkModeForm : public QWidget
{
    Q_OBJECT

public:
    explicit AutoDarkModeForm(QWidget *parent = nullptr);
    ~AutoDarkModeForm() override;

    QAction *saveAction = nullptr;

private slots:
    void OnSaveAutoDark(bool checked);
    void positionUpdated(const QGeoPositionInfo &info);
    void on_autoDarkModeComboBox_currentIndexChanged(int index);
    void on_timeScheduleCheckBox_stateChanged(int);
    void on_lightHourSpinBox_valueChanged(int);
    void on_lightMinuteSpinBox_valueChanged(int);
    void on_lightPeriodComboBox_currentIndexChanged(int index);
    void on_darkHourSpinBox_valueChanged(int);
    void on_darkMinuteSpinBox_valueChanged(int);
    void on_darkPeriodComboBox_currentIndexChanged(int index);
    void on_actionsComboBox_currentIndexChanged(int index);

private:
    void buildWidgets();
    void loadSettings();
    // keepEdited: a row the user changed since the rows were last filled keeps what was typed.
    void loadTimeSchedule(bool keepEdited = false);
    void changed();
    void timeChanged(bool lightRow);
    // Stores a new position; a running helper that switches by it reloads.
    void storePosition();

    QLabel *autoDarkModeDescLabel;
    QComboBox *autoDarkModeComboBox;
    QGroupBox *timeScheduleGroupBox;
    QCheckBox *timeScheduleCheckBox;
    QLabel *lightTitle;
    QSpinBox *lightHourSpinBox;
    QLabel *lightSeparatorLabel;
    QSpinBox *lightMinuteSpinBox;
    QComboBox *lightPeriodComboBox;
    QLabel *darkTitle;
    QSpinBox *darkHourSpinBox;
    QLabel *darkSeparatorLabel;
    QSpinBox *darkMinuteSpinBox;
    QComboBox *darkPeriodComboBox;
    QGroupBox *actionsGroupBox;
    QComboBox *actionsComboBox;

    QGeoPositionInfoSource *source = nullptr;
    double solarNoon = 0;
    double hourAngle = 0;
    double zone = 0;
    double latitude = 0;
    double longitude = 0;
    QTime sunrise;
    QTime sunset;
    bool positionKnown = false;
    bool ready = false;
    // The user changed a time of the row since the rows were last filled: a position arriving later leaves
    // that row as typed.
    bool lightEdited = false;
    bool darkEdited = false;
};
