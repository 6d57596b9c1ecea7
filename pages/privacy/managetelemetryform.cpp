#include "managetelemetryform.h"
#include "ui_managetelemetryform.h"

#include "pagelayout.h"

#include <QDebug>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString diagTrackService = QStringLiteral("diagtrack");

// A Service Control Manager handle, closed when it goes out of scope.
struct CloseService
{
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<SC_HANDLE__, CloseService>;

// Opens the manager of this machine and the service in it, with every right.
bool openService(const QString &service, ServiceHandle *manager, ServiceHandle *handle)
{
    manager->reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!*manager) {
        qDebug() << "OpenSCManager failed";
        return false;
    }
    handle->reset(OpenServiceW(manager->get(), wstr(service), SERVICE_ALL_ACCESS));
    if (!*handle) {
        qDebug() << "OpenService failed";
        return false;
    }
    return true;
}

QString stateNameOf(DWORD state)
{
    static const char *const names[] = {"stopped",          "start pending", "stop pending", "running",
                                        "continue pending", "pause pending", "paused"};
    return state >= 1 && state <= 7 ? QLatin1String(names[state - 1]) : QString();
}

QString startTypeNameOf(DWORD startType)
{
    static const char *const names[] = {"boot start", "system start", "auto start", "demand start", "disabled"};
    return startType <= 4 ? QLatin1String(names[startType]) : QString();
}

} // namespace

ManageTelemetryForm::ManageTelemetryForm(QWidget *parent)
    : SettingPage(QStringLiteral("Privacy"),
                  QStringLiteral("Manage Telemetry Data Collection DiagTrack service privacy"), parent),
      ui(new Ui::ManageTelemetryForm),
      telemetry(this, 301,
                registryDword(HKEY_LOCAL_MACHINE,
                              QStringLiteral("SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection"),
                              QStringLiteral("AllowTelemetry")),
                3,
                {{QStringLiteral("Basic"), QStringLiteral("Disable telemetry and data collection.")},
                 {QStringLiteral("Enhanced"), QStringLiteral("Enable telemetry and data collection (default).")},
                 {QStringLiteral("Full (Default)"), QStringLiteral("Enable telemetry and data collection (default).")}},
                2),
      diagTrack(this, 302,
                {[this](int *value) {
                     // The service is asked at construction and after each write, not at every load.
                     *value = int(diagTrackStartType);
                     return true;
                 },
                 [this](int value) { return writeDiagTrackStartType(value); },
                 [] { return false; },
                 {}},
                0,
                {{QStringLiteral("Disable diagtrack service at startup"),
                  QStringLiteral("Disable diagtrack service at startup.")},
                 {QStringLiteral("Enable diagtrack service at startup (Default)"),
                  QStringLiteral("Enable diagtrack service at startup (default).")}},
                1)
{
    telemetry.setValues({1, 2, 3});
    telemetry.setOtherSentence(QStringLiteral("Enable telemetry and data collection (default)."));
    // "Disable" is demand start; every start type but auto start shows it.
    diagTrack.setValues({SERVICE_DEMAND_START, SERVICE_AUTO_START});
    diagTrack.setUnlistedIndex(0);
    // A service always has a start type: restoring 302 writes the recorded one back, never deletes.
    diagTrack.restoreMayRemove = false;

    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->ManageTelemetryGroupBox);
    box->addWidget(ui->ManageTelemetryDescLabel);
    box->addLayout(pagelayout::row({ui->ManageTelemetryComboBox, ui->ManageTelemetryPushButton}));
    box->addSpacing(20);
    box->addWidget(ui->diagTrackLabel);
    box->addWidget(ui->diagTrackDescLabel);
    box->addWidget(ui->diagTrackStatLabel);
    box->addLayout(pagelayout::row({ui->diagTrackComboBox, ui->diagTrackPushButton}));

    diagTrackStartType = refreshDiagTrackStatus();
    telemetry.bind(ui->ManageTelemetryComboBox);
    diagTrack.bind(ui->diagTrackComboBox);
    qDebug() << "diagtrackConfigStat: " << diagTrackStartType;
    loadSetting();
}

ManageTelemetryForm::~ManageTelemetryForm()
{
    delete ui;
}

bool ManageTelemetryForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

bool ManageTelemetryForm::writeDiagTrackStartType(int startType)
{
    // A recorded start type that the page cannot show (disabled) goes back as it was; what is no start type
    // of a service becomes demand start, the page's "Disable".
    if (startType != SERVICE_AUTO_START && startType != SERVICE_DEMAND_START && startType != SERVICE_DISABLED)
        startType = SERVICE_DEMAND_START;
    const bool changed = changeServiceStartType(diagTrackService, startType);
    // A refused change shows the start type the service kept.
    diagTrackStartType = refreshDiagTrackStatus();
    return changed;
}

bool ManageTelemetryForm::checkServiceStat(QString service, QString &stateName, QString &startTypeName,
                                           unsigned int &startType)
{
    qDebug() << "checkServiceStat: " << service;
    ServiceHandle manager, handle;
    if (!openService(service, &manager, &handle))
        return false;

    SERVICE_STATUS_PROCESS status;
    DWORD needed = 0;
    if (!QueryServiceStatusEx(handle.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status),
                              sizeof(SERVICE_STATUS_PROCESS), &needed)) {
        qDebug() << "QueryServiceStatusEx failed";
        return false;
    }

    // The configuration's size is learnt first; its buffer is freed on every path.
    bool configured = false;
    DWORD configuredStart = 0;
    if (!QueryServiceConfigW(handle.get(), nullptr, 0, &needed) && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        auto *config = static_cast<LPQUERY_SERVICE_CONFIGW>(LocalAlloc(LMEM_FIXED, needed));
        if (config && QueryServiceConfigW(handle.get(), config, needed, &needed)) {
            configured = true;
            configuredStart = config->dwStartType;
        }
        if (config)
            LocalFree(config);
    }
    if (!configured) {
        qDebug() << "QueryServiceConfig failed";
        return false;
    }
    handle.reset();
    manager.reset();

    qDebug() << "ssStatus.dwCurrentState: " << status.dwCurrentState;
    stateName = stateNameOf(status.dwCurrentState);
    startType = configuredStart;
    startTypeName = startTypeNameOf(configuredStart);
    return true;
}

bool ManageTelemetryForm::changeServiceStartType(QString service, int startType)
{
    ServiceHandle manager, handle;
    if (!openService(service, &manager, &handle))
        return false;
    // Only the start type changes.
    if (!ChangeServiceConfigW(handle.get(), SERVICE_NO_CHANGE, DWORD(startType), SERVICE_NO_CHANGE, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr))
        return false;
    qDebug() << "changeServiceStartType success";
    return true;
}

unsigned int ManageTelemetryForm::refreshDiagTrackStatus()
{
    QString stateName;
    QString startTypeName;
    unsigned int startType = 0; // not auto start: a service that cannot be asked shows "Disable"
    checkServiceStat(diagTrackService, stateName, startTypeName, startType);
    ui->diagTrackStatLabel->setText(QStringLiteral("Status: ") + stateName + QLatin1Char(' ') + startTypeName);
    qDebug() << "confingIndex: " << startType;
    return startType;
}

void ManageTelemetryForm::on_ManageTelemetryComboBox_currentTextChanged(const QString &)
{
    telemetry.report();
}

void ManageTelemetryForm::on_ManageTelemetryPushButton_clicked()
{
    telemetry.setDefault();
}

void ManageTelemetryForm::on_diagTrackComboBox_currentIndexChanged(int)
{
    diagTrack.report();
}

void ManageTelemetryForm::on_diagTrackPushButton_clicked()
{
    diagTrack.setDefault();
}
