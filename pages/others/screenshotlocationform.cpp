#include "screenshotlocationform.h"
#include "ui_screenshotlocationform.h"

#include "krutils.h"
#include "pagelayout.h"
#include "settingstore.h"
#include "shellhelpers.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString shellFolders =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
const QString screenshotsValue = QStringLiteral("{B7BEDE81-DF94-4682-A7D8-57A52620B86F}");

bool folderExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(hostPath(path)).isDir();
}

// The folder as the user reads it: the stored text with its environment variables expanded.
QString expanded(const QString &text)
{
    const DWORD needed = ExpandEnvironmentStringsW(wstr(text), nullptr, 0);
    if (needed == 0)
        return text;
    QVector<WCHAR> buffer(qsizetype(needed), 0);
    const DWORD written = ExpandEnvironmentStringsW(wstr(text), buffer.data(), needed);
    if (written == 0 || written > needed)
        return text;
    return fromWide(buffer.constData(), buffer.size());
}

} // namespace

ScreenshotFolderSetting::ScreenshotFolderSetting(ScreenshotLocationForm *page, QLineEdit *edit)
    : Setting(page, 105), form(page), edit(edit)
{
}

void ScreenshotFolderSetting::read()
{
    QString text;
    missing = !currentText(&text);
    storedValue = missing ? QString() : text;
    edit->setText(shownFolder());
}

bool ScreenshotFolderSetting::currentText(QString *text) const
{
    // The read ends the text at its terminator, so no NUL reaches the field or a later write. The stored
    // text keeps its variables ("%USERPROFILE%\..."): that is what a restore writes back.
    return KRUtils().readRegStringRaw(HKEY_CURRENT_USER, shellFolders, screenshotsValue, *text);
}

QString ScreenshotFolderSetting::shownFolder() const
{
    return missing ? form->defaultScreenshotFolder() : expanded(storedValue);
}

void ScreenshotFolderSetting::report()
{
    // An absent value is described as the default folder the page showed for it.
    emitChange(form->describe(edit->text()), storedValue, form->describe(shownFolder()));
}

bool ScreenshotFolderSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    if (fromStored && removeValue)
        return removeRegistryValue(HKEY_CURRENT_USER, shellFolders, screenshotsValue);
    QString text = fromStored ? stored : edit->text();
    // The stored folder typed back keeps its variables.
    if (!fromStored && !missing && text == expanded(storedValue))
        text = storedValue;
    KRUtils utils;
    return utils.writeRegExpandString(HKEY_CURRENT_USER, shellFolders, screenshotsValue, text);
}

ScreenshotLocationForm::ScreenshotLocationForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("Screenshot Location folder"), parent),
      ui(new Ui::ScreenshotLocationForm)
{
    ui->setupUi(this);
    folder = new ScreenshotFolderSetting(this, ui->ScreenshotLocationLineEdit);
    ui->ScreenshotLocationLineEdit->setMinimumWidth(420);
    pagelayout::standard(
        this, ui->ScreenshotLocationGroupBox, {ui->ScreenshotLocationDescLabel, ui->ScreenshotLocationDescLabel2},
        {{ui->ScreenshotLocationLabel, ui->ScreenshotLocationLineEdit, ui->ScreenshotLocationToolButton}});
    loadSetting();
}

ScreenshotLocationForm::~ScreenshotLocationForm()
{
    delete folder;
    delete ui;
}

bool ScreenshotLocationForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(105, fromStored, removeValue, storedValue);
}

QString ScreenshotLocationForm::defaultScreenshotFolder()
{
    const QString pictures = picturesPath();
    const QString screenshots = nativeSeparators(pictures + QStringLiteral("/Screenshots"));
    defaultFolder = folderExists(screenshots) ? screenshots : nativeSeparators(pictures);
    return defaultFolder;
}

QString ScreenshotLocationForm::describe(const QString &path) const
{
    const QString prefix = QStringLiteral("Change screenshot location to ");
    if (!defaultFolder.isEmpty() && path.compare(defaultFolder, Qt::CaseInsensitive) == 0)
        return prefix + path + QStringLiteral(" (default).");
    return prefix + path + QLatin1Char('.');
}

void ScreenshotLocationForm::on_ScreenshotLocationLineEdit_textChanged(const QString &)
{
    if (folder)
        folder->report();
}

void ScreenshotLocationForm::on_ScreenshotLocationToolButton_clicked()
{
    const QString shown = ui->ScreenshotLocationLineEdit->text();
    const QString start = folderExists(shown) ? shown : defaultScreenshotFolder();
    KRUtils utils;
    const QString chosen = utils.browseForFolder(start, QStringLiteral("Select folder ..."));
    // Cancel gives nothing; a bare drive letter or a folder that is gone changes nothing either.
    if (chosen.size() > 1 && folderExists(chosen))
        ui->ScreenshotLocationLineEdit->setText(chosen);
}
