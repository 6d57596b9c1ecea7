#include "smartshortcutform.h"

#include "glasspanlink.h"
#include "krutils.h"
#include "prioritynames.h"
#include "shellhelpers.h"

#include <QAction>
#include <QComboBox>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

SmartShortcutForm::SmartShortcutForm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form"));
    resize(750, 573);
    auto *layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    createShortcutAction = glasspanlink::addToolbar(this, layout, QStringLiteral("Create Shortcut"),
                                                    QStringLiteral(":/resources/images/shortcut24.png"));
    connect(createShortcutAction, &QAction::triggered, this, &SmartShortcutForm::OnCreateShortcut);

    appPathLabel = named(new QLabel(QStringLiteral("*Application Path:"), this), "appPathLabel");
    appPathLineEdit = named(new QLineEdit(this), "appPathLineEdit");
    appPathToolButton = named(new QToolButton(this), "appPathToolButton");
    appPathToolButton->setText(QStringLiteral("..."));
    appNameLabel = named(new QLabel(QStringLiteral("*Application Name:"), this), "appNameLabel");
    appNameLineEdit = named(new QLineEdit(this), "appNameLineEdit");
    appParamLabel = named(new QLabel(QStringLiteral("Parameters:"), this), "appParamLabel");
    appParamLineEdit = named(new QLineEdit(this), "appParamLineEdit");
    shortcutLocationLabel = named(new QLabel(QStringLiteral("*Shortcut Location:"), this), "shortcutLocationLabel");
    shortcutLocationLineEdit = named(new QLineEdit(this), "shortcutLocationLineEdit");
    shortcutLocationToolButton = named(new QToolButton(this), "shortcutLocationToolButton");
    shortcutLocationToolButton->setText(QStringLiteral("..."));
    appPriorityLabel = named(new QLabel(QStringLiteral("*Application Priority:"), this), "appPriorityLabel");
    appPriorityComboBox = named(new QComboBox(this), "appPriorityComboBox");
    freeupRAMLabel = named(new QLabel(QStringLiteral("*Try to Free-up RAM:"), this), "freeupRAMLabel");
    freeupRAMComboBox = named(new QComboBox(this), "freeupRAMComboBox");
    noteLabel = named(new QLabel(QStringLiteral("Note:"), this), "noteLabel");
    noteLabel->setWordWrap(true);
    noteLabel->setMaximumHeight(48);
    infoImage = named(new QLabel(this), "infoImage");
    infoImage->setFixedSize(48, 48);
    infoImage->setPixmap(QPixmap(QStringLiteral(":/resources/images/SymbolChat48.png")));
    infoLabel =
        named(new QLabel(
                  QStringLiteral("Create special shortcut for your favorite, but CPU intensive applications. With this "
                                 "special shortcut you can automatically set an above normal or higher CPU priority "
                                 "level for your favorite application.\n\nApplication that has a higher priority "
                                 "level should get more processor resources for better performance compared to a "
                                 "process that has lower priority.  "),
                  this),
              "infoLabel");
    infoLabel->setWordWrap(true);
    // As high as its wrapped text, in the host's fonts: a cap would cut its last lines.
    infoLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto *grid = new QGridLayout;
    grid->addWidget(appPathLabel, 0, 0);
    grid->addWidget(appPathLineEdit, 0, 1);
    grid->addWidget(appPathToolButton, 0, 2);
    grid->addWidget(appNameLabel, 1, 0);
    grid->addWidget(appNameLineEdit, 1, 1, 1, 2);
    grid->addWidget(appParamLabel, 2, 0);
    grid->addWidget(appParamLineEdit, 2, 1, 1, 2);
    grid->addWidget(shortcutLocationLabel, 3, 0);
    grid->addWidget(shortcutLocationLineEdit, 3, 1);
    grid->addWidget(shortcutLocationToolButton, 3, 2);
    grid->addWidget(appPriorityLabel, 4, 0);
    grid->addWidget(appPriorityComboBox, 4, 1, 1, 2);
    grid->addWidget(freeupRAMLabel, 5, 0);
    grid->addWidget(freeupRAMComboBox, 5, 1, 1, 2);
    grid->addWidget(noteLabel, 6, 0, 1, 3);
    grid->setRowStretch(7, 10);
    auto *info = new QHBoxLayout;
    info->setAlignment(Qt::AlignLeft);
    info->addWidget(infoImage);
    info->addWidget(infoLabel);
    grid->addLayout(info, 8, 0, 1, 2);
    layout->addLayout(grid);
    freeupRAMLabel->hide();
    freeupRAMComboBox->hide();
    QMetaObject::connectSlotsByName(this);

    // The index is what the launcher receives: 0 "Low Priority" to 4 "High Priority".
    appPriorityComboBox->addItems(PriorityNames::choices());
    appPriorityComboBox->setCurrentIndex(2);
    freeupRAMComboBox->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    freeupRAMComboBox->setCurrentIndex(0);
    shortcutLocationLineEdit->setText(desktopPath());
    validateInput();
}

bool SmartShortcutForm::validateInput()
{
    noteLabel->clear();
    bool valid = false;
    if (appNameLineEdit->text().isEmpty())
        noteLabel->setText(QStringLiteral("Note: please enter application name."));
    else if (!QFileInfo::exists(hostPath(appPathLineEdit->text())))
        noteLabel->setText(QStringLiteral("Note: please enter a correct aplication path."));
    else if (!QFileInfo::exists(hostPath(shortcutLocationLineEdit->text())))
        noteLabel->setText(
            QStringLiteral("Note: please enter a correct location where you want to create the shortcut."));
    else
        valid = true;
    createShortcutAction->setEnabled(valid);
    return valid;
}

QString SmartShortcutForm::launcherArguments() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(freeupRAMComboBox->currentIndex())
        .arg(appPriorityComboBox->currentIndex())
        .arg(appPathLineEdit->text(), appParamLineEdit->text());
}

void SmartShortcutForm::on_appNameLineEdit_textChanged(const QString &)
{
    validateInput();
}

void SmartShortcutForm::on_appPathLineEdit_textChanged(const QString &)
{
    validateInput();
}

void SmartShortcutForm::on_appParamLineEdit_textChanged(const QString &)
{
    validateInput();
}

void SmartShortcutForm::on_shortcutLocationLineEdit_textChanged(const QString &)
{
    validateInput();
}

void SmartShortcutForm::on_appPriorityComboBox_currentIndexChanged(int)
{
    validateInput();
}

void SmartShortcutForm::on_freeupRAMComboBox_currentIndexChanged(int)
{
    validateInput();
}

void SmartShortcutForm::on_appPathToolButton_clicked()
{
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Add Application"), hostPath(commonProgramsPath()),
                                     QStringLiteral("Executable Files (*.exe)"));
    const QString path = chosen.isEmpty() ? chosen : fromHostPath(chosen);
    appPathLineEdit->setText(path);
    appNameLineEdit->setText(windowsFileInfo(path).fileName().section(QLatin1Char('.'), 0, 0));
}

void SmartShortcutForm::on_shortcutLocationToolButton_clicked()
{
    KRUtils utils;
    const QString folder = utils.browseForFolder(desktopPath(), QStringLiteral("Select folder ..."));
    if (!folder.isEmpty())
        shortcutLocationLineEdit->setText(folder);
}

void SmartShortcutForm::OnCreateShortcut(bool)
{
    KRUtils utils;
    const QString launcher = utils.appPath() + QStringLiteral("\\Hopsteer.exe");
    const QString arguments = launcherArguments();
    qDebug() << "param: " << arguments;
    const QString linkFile =
        shortcutLocationLineEdit->text() + QStringLiteral("\\") + appNameLineEdit->text() + QStringLiteral(".lnk");
    // The folder with forward slashes, whichever separator the installation folder came with.
    const QString workingFolder = QFileInfo(QString(launcher).replace(QLatin1Char('\\'), QLatin1Char('/'))).path();
    utils.createLink(launcher, linkFile, workingFolder, arguments, appPathLineEdit->text());
}
