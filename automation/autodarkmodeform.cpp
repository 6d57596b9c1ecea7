#include "autodarkmodeform.h"

#include "glasspanlink.h"
#include "glasspanmessages.h"
#include "krutils.h"
#include "suntimes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QGeoPositionInfoSource>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString AutoDarkModeKey = QStringLiteral(HUSHDECK_SETTINGS_ROOT "\\AutoDarkMode");

QGeoPositionInfoSource *defaultSource(QObject *parent)
{
    return QGeoPositionInfoSource::createDefaultSource(parent);
}

QSpinBox *timeSpinBox(QWidget *parent, const char *name, int low, int high)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setFixedWidth(42);
    return box;
}

QComboBox *periodComboBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel *namedLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

PositionSourceFactory positionSourceFactory = defaultSource;

ClockTime12 toClockTime12(const QTime &time)
{
    ClockTime12 t;
    t.minute = time.minute();
    t.period = time.hour() >= 12 ? 1 : 0;
    t.hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return t;
}

AutoDarkModeForm::AutoDarkModeForm(QWidget *parent) : QWidget(parent)
{
    buildWidgets();
    source = positionSourceFactory ? positionSourceFactory(this) : nullptr;
    if (source) {
        connect(source, &QGeoPositionInfoSource::positionUpdated, this, &AutoDarkModeForm::positionUpdated);
        source->startUpdates();
    }
    QMetaObject::connectSlotsByName(this);
    autoDarkModeComboBox->addItems({QStringLiteral("Disable"), QStringLiteral("Enable")});
    lightPeriodComboBox->addItems({QStringLiteral("AM"), QStringLiteral("PM")});
    darkPeriodComboBox->addItems({QStringLiteral("AM"), QStringLiteral("PM")});
    actionsComboBox->addItems({QStringLiteral("Automatically change Windows mode to light or dark"),
                               QStringLiteral("Automatically change app mode to light or dark"),
                               QStringLiteral("Automatically change both Windows and app mode to light or dark")});
    loadSettings();
    saveAction->setEnabled(false);
    ready = true;
}

AutoDarkModeForm::~AutoDarkModeForm() = default;

void AutoDarkModeForm::buildWidgets()
{
    setWindowTitle(QStringLiteral("Form"));
    resize(687, 526);
    auto *layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    saveAction =
        glasspanlink::addToolbar(this, layout, QStringLiteral("Save"), QStringLiteral(":/resources/images/Save24.png"));
    connect(saveAction, &QAction::triggered, this, &AutoDarkModeForm::OnSaveAutoDark);

    autoDarkModeDescLabel = namedLabel(this, "autoDarkModeDescLabel",
                                       QStringLiteral("Automatically change windows color mode at specified of time."));
    autoDarkModeComboBox = new QComboBox(this);
    autoDarkModeComboBox->setObjectName(QStringLiteral("autoDarkModeComboBox"));

    timeScheduleGroupBox = new QGroupBox(QStringLiteral("Time Schedule"), this);
    timeScheduleGroupBox->setObjectName(QStringLiteral("timeScheduleGroupBox"));
    timeScheduleCheckBox = new QCheckBox(
        QStringLiteral("Automatically set time based on sunrise and sunset time in your area"), timeScheduleGroupBox);
    timeScheduleCheckBox->setObjectName(QStringLiteral("timeScheduleCheckBox"));
    lightTitle = namedLabel(timeScheduleGroupBox, "lightTitle", QStringLiteral("Light"));
    lightHourSpinBox = timeSpinBox(timeScheduleGroupBox, "lightHourSpinBox", 1, 12);
    lightSeparatorLabel = namedLabel(timeScheduleGroupBox, "lightSeparatorLabel", QStringLiteral(":"));
    lightMinuteSpinBox = timeSpinBox(timeScheduleGroupBox, "lightMinuteSpinBox", 0, 59);
    lightPeriodComboBox = periodComboBox(timeScheduleGroupBox, "lightPeriodComboBox");
    darkTitle = namedLabel(timeScheduleGroupBox, "darkTitle", QStringLiteral("Dark"));
    darkHourSpinBox = timeSpinBox(timeScheduleGroupBox, "darkHourSpinBox", 1, 12);
    darkSeparatorLabel = namedLabel(timeScheduleGroupBox, "darkSeparatorLabel", QStringLiteral(":"));
    darkMinuteSpinBox = timeSpinBox(timeScheduleGroupBox, "darkMinuteSpinBox", 0, 59);
    darkPeriodComboBox = periodComboBox(timeScheduleGroupBox, "darkPeriodComboBox");

    auto *schedule = new QVBoxLayout(timeScheduleGroupBox);
    schedule->addWidget(timeScheduleCheckBox);
    schedule->addWidget(lightTitle);
    auto *lightRow = new QHBoxLayout;
    lightRow->setAlignment(Qt::AlignLeft);
    lightRow->addWidget(lightHourSpinBox);
    lightRow->addWidget(lightSeparatorLabel);
    lightRow->addWidget(lightMinuteSpinBox);
    lightRow->addWidget(lightPeriodComboBox);
    schedule->addLayout(lightRow);
    schedule->addWidget(darkTitle);
    auto *darkRow = new QHBoxLayout;
    darkRow->setAlignment(Qt::AlignLeft);
    darkRow->addWidget(darkHourSpinBox);
    darkRow->addWidget(darkSeparatorLabel);
    darkRow->addWidget(darkMinuteSpinBox);
    darkRow->addWidget(darkPeriodComboBox);
    schedule->addLayout(darkRow);

    actionsGroupBox = new QGroupBox(QStringLiteral("Actions"), this);
    actionsGroupBox->setObjectName(QStringLiteral("actionsGroupBox"));
    actionsComboBox = new QComboBox(actionsGroupBox);
    actionsComboBox->setObjectName(QStringLiteral("actionsComboBox"));
    auto *actions = new QVBoxLayout(actionsGroupBox);
    actions->addWidget(actionsComboBox);

    layout->addWidget(autoDarkModeDescLabel);
    layout->addWidget(autoDarkModeComboBox);
    layout->addWidget(timeScheduleGroupBox);
    layout->addWidget(actionsGroupBox);
}

void AutoDarkModeForm::loadSettings()
{
    KRUtils utils;
    DWORD enabled = 0, useLocation = 1, action = 2;
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Enabled"), &enabled);
    autoDarkModeComboBox->setCurrentIndex(enabled != 0 ? 1 : 0);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("UseLocationData"), &useLocation);
    timeScheduleCheckBox->setChecked(useLocation == 1);
    loadTimeSchedule();
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Action"), &action);
    actionsComboBox->setCurrentIndex(action <= 2 ? int(action) : 2);
    if (autoDarkModeComboBox->currentIndex() != 0)
        glasspanlink::switchOn(this, HELPER_MSG_DARKMODE_ON, HELPER_MSG_DARKMODE_RELOAD);
}

void AutoDarkModeForm::loadTimeSchedule(bool keepEdited)
{
    const QList<QWidget *> controls = {lightHourSpinBox, lightMinuteSpinBox, lightPeriodComboBox,
                                       darkHourSpinBox,  darkMinuteSpinBox,  darkPeriodComboBox};
    // Sun times exist only once a position arrived and the sun rises and sets that day.
    const bool sunKnown = positionKnown && sunrise.isValid() && sunset.isValid();
    const ClockTime12 rise = sunKnown ? toClockTime12(sunrise) : ClockTime12{-1, -1, 0};
    const ClockTime12 set = sunKnown ? toClockTime12(sunset) : ClockTime12{-1, -1, 1};
    if (timeScheduleCheckBox->isChecked()) {
        if (sunKnown) {
            lightHourSpinBox->setValue(rise.hour);
            lightMinuteSpinBox->setValue(rise.minute);
            lightPeriodComboBox->setCurrentIndex(rise.period);
            darkHourSpinBox->setValue(set.hour);
            darkMinuteSpinBox->setValue(set.minute);
            darkPeriodComboBox->setCurrentIndex(set.period);
        }
        for (QWidget *w : controls)
            w->setEnabled(false);
        lightEdited = darkEdited = false;
        return;
    }
    KRUtils utils;
    DWORD lightHour = DWORD(rise.hour), lightMinute = DWORD(rise.minute), lightPeriod = DWORD(rise.period);
    DWORD darkHour = DWORD(set.hour), darkMinute = DWORD(set.minute), darkPeriod = DWORD(set.period);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("LightHour"), &lightHour);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("LightMinute"), &lightMinute);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("LightPeriod"), &lightPeriod);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("DarkHour"), &darkHour);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("DarkMinute"), &darkMinute);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("DarkPeriod"), &darkPeriod);
    // Spin boxes clamp what is out of range, an unset default (-1) included.
    if (!keepEdited || !lightEdited) {
        lightHourSpinBox->setValue(int(lightHour));
        lightMinuteSpinBox->setValue(int(lightMinute));
        lightPeriodComboBox->setCurrentIndex(lightPeriod != 0 ? 1 : 0);
        lightEdited = false;
    }
    if (!keepEdited || !darkEdited) {
        darkHourSpinBox->setValue(int(darkHour));
        darkMinuteSpinBox->setValue(int(darkMinute));
        darkPeriodComboBox->setCurrentIndex(darkPeriod != 0 ? 1 : 0);
        darkEdited = false;
    }
    for (QWidget *w : controls)
        w->setEnabled(true);
}

void AutoDarkModeForm::positionUpdated(const QGeoPositionInfo &info)
{
    const QGeoCoordinate coordinate = info.coordinate();
    // A position without both numbers gives no sun times; 0,0 is never taken for it.
    if (!std::isfinite(coordinate.latitude()) || !std::isfinite(coordinate.longitude()))
        return;
    latitude = coordinate.latitude();
    longitude = coordinate.longitude();
    qDebug() << "Lat.:  " << latitude;
    qDebug() << "Long.: " << longitude;
    qDebug() << "Alt.:  " << coordinate.altitude();
    storePosition();

    const QDate today = QDateTime::currentDateTime().date();
    // The offset in force at noon of this day: the one the day's sun times are counted in.
    zone = QDateTime(today, QTime(12, 0)).offsetFromUtc() / 3600.0;
    qDebug() << "timezone: " << zone;
    const SunTimes sun = computeSunTimes(today.year(), today.month(), today.day(), zone, latitude, longitude);
    hourAngle = sun.hourAngle;
    solarNoon = sun.solarNoon;
    qDebug() << "haSunrise: " << hourAngle;
    qDebug() << "solarNoon: " << solarNoon;
    if (sun.polar == 0) {
        sunrise = QTime::fromMSecsSinceStartOfDay(int(sunriseSeconds(sun) * 1000));
        sunset = QTime::fromMSecsSinceStartOfDay(int(sunsetSeconds(sun) * 1000));
    } else {
        sunrise = QTime();
        sunset = QTime();
    }
    qDebug() << "sunriseTime: " << sunrise;
    if (source)
        source->stopUpdates();
    positionKnown = true;
    ready = false;
    // Fixed times the user is editing stay as typed; untouched rows take the sun's defaults.
    loadTimeSchedule(true);
    ready = true;
}

void AutoDarkModeForm::storePosition()
{
    KRUtils utils;
    const QString latitudeText = QString::number(latitude, 'g', 6);
    const QString longitudeText = QString::number(longitude, 'g', 6);
    QString oldLatitude, oldLongitude;
    utils.readRegString(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Latitude"), oldLatitude);
    utils.readRegString(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Longitude"), oldLongitude);
    const bool stored =
        utils.writeRegString(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Latitude"), latitudeText) &&
        utils.writeRegString(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Longitude"), longitudeText);
    if (!stored || (latitudeText == oldLatitude && longitudeText == oldLongitude))
        return;
    // The helper computes the sun times from the stored position only when it reloads: tell it, as a save
    // does, when the saved schedule follows the sun.
    DWORD enabled = 0, useLocation = 1;
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("Enabled"), &enabled);
    utils.readRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QStringLiteral("UseLocationData"), &useLocation);
    if (enabled == 0 || useLocation == 0)
        return;
    HWND helper = glasspanlink::findWindow();
    glasspanlink::post(helper, HELPER_MSG_DARKMODE_ON);
    glasspanlink::post(helper, HELPER_MSG_DARKMODE_RELOAD);
}

void AutoDarkModeForm::OnSaveAutoDark(bool)
{
    saveAction->setEnabled(false);
    HWND helper = glasspanlink::findWindow();
    KRUtils utils;
    auto write = [&](const char *name, int value) {
        utils.writeRegDWORD(HKEY_CURRENT_USER, AutoDarkModeKey, QLatin1String(name), DWORD(value));
    };
    write("Enabled", autoDarkModeComboBox->currentIndex());
    if (timeScheduleCheckBox->isChecked()) {
        write("UseLocationData", 1);
    } else {
        write("UseLocationData", 0);
        write("LightHour", lightHourSpinBox->value());
        write("LightMinute", lightMinuteSpinBox->value());
        write("LightPeriod", lightPeriodComboBox->currentIndex());
        write("DarkHour", darkHourSpinBox->value());
        write("DarkMinute", darkMinuteSpinBox->value());
        write("DarkPeriod", darkPeriodComboBox->currentIndex());
    }
    write("Action", actionsComboBox->currentIndex());
    if (autoDarkModeComboBox->currentIndex() == 0)
        glasspanlink::post(helper, HELPER_MSG_DARKMODE_OFF);
    else
        glasspanlink::switchOn(this, HELPER_MSG_DARKMODE_ON, HELPER_MSG_DARKMODE_RELOAD);
    if (!utils.isGlasspanNeeded())
        utils.closeGlasspan();
}

void AutoDarkModeForm::changed()
{
    if (ready)
        saveAction->setEnabled(true);
}

void AutoDarkModeForm::timeChanged(bool lightRow)
{
    if (ready)
        (lightRow ? lightEdited : darkEdited) = true;
    changed();
}

void AutoDarkModeForm::on_autoDarkModeComboBox_currentIndexChanged(int)
{
    changed();
}

void AutoDarkModeForm::on_timeScheduleCheckBox_stateChanged(int)
{
    if (!ready)
        return;
    loadTimeSchedule();
    changed();
}

void AutoDarkModeForm::on_lightHourSpinBox_valueChanged(int)
{
    timeChanged(true);
}

void AutoDarkModeForm::on_lightMinuteSpinBox_valueChanged(int)
{
    timeChanged(true);
}

void AutoDarkModeForm::on_lightPeriodComboBox_currentIndexChanged(int)
{
    timeChanged(true);
}

void AutoDarkModeForm::on_darkHourSpinBox_valueChanged(int)
{
    timeChanged(false);
}

void AutoDarkModeForm::on_darkMinuteSpinBox_valueChanged(int)
{
    timeChanged(false);
}

void AutoDarkModeForm::on_darkPeriodComboBox_currentIndexChanged(int)
{
    timeChanged(false);
}

void AutoDarkModeForm::on_actionsComboBox_currentIndexChanged(int)
{
    changed();
}
