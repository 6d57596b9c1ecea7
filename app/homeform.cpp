#include "homeform.h"
#include "ui_homeform.h"

#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

HomeForm::HomeForm(QWidget *parent) : QWidget(parent), ui(new Ui::HomeForm)
{
    ui->setupUi(this);

    struct Card
    {
        QWidget *widget;
        ClickableLabel *label;
        void (HomeForm::*slot)();
        int row;
        int column;
    };
    const Card cards[] = {
        {ui->AutoDarkModeWidget, ui->AutoDarkModeLabel, &HomeForm::on_AutoDarkModeLabel_clicked, 0, 0},
        {ui->AutoWallpaperChangerWidget, ui->AutoWallpaperChangerLabel, &HomeForm::on_AutoWallpaperChanger_clicked, 0,
         1},
        {ui->FolderSizeAnalyzerWidget, ui->FolderSizeAnalyzerLabel, &HomeForm::on_FolderSizeAnalyzer_clicked, 1, 0},
        {ui->FindDuplicateWidget, ui->FindDuplicateLabel, &HomeForm::on_FindDuplicate_clicked, 1, 1},
        {ui->MyTrayIconWidget, ui->MyTrayIconLabel, &HomeForm::on_MyTrayIcon_clicked, 2, 0},
        {ui->ProcessManagerWidget, ui->ProcessManagerLabel, &HomeForm::on_ProcessManager_clicked, 2, 1},
        {ui->SecureDeleteWidget, ui->SecureDeleteLabel, &HomeForm::on_SecureDelete_clicked, 3, 0},
        {ui->HopsteerWidget, ui->HopsteerLabel, &HomeForm::on_SmartShortcut_clicked, 3, 1},
        {ui->SystemInformationWidget, ui->SystemInformationLabel, &HomeForm::on_SystemInformation_clicked, 4, 0},
        {ui->TrackCleanerWidget, ui->TrackCleanerLabel, &HomeForm::on_TrackCleaner_clicked, 4, 1},
        {ui->TransparentTaskbarWidget, ui->TransparentTaskbarLabel, &HomeForm::on_TransparentTaskbar_clicked, 5, 0},
        {ui->TroubleshooterWidget, ui->TroubleshooterLabel, &HomeForm::on_Troubleshooter_clicked, 5, 1},
        {ui->HushdeckWidget, ui->HushdeckLabel, &HomeForm::on_Hushdeck_clicked, 6, 0},
    };

    // The cards are placed by hand, not laid out: each title runs to its card's right edge, and a card grows
    // where the host's fonts need more room for its title or description than the form gives.
    for (const Card &card : cards) {
        const QString name = card.widget->objectName().chopped(int(qstrlen("Widget")));
        auto *title = card.widget->findChild<QLabel *>(name + QStringLiteral("Title"));
        auto *desc = card.widget->findChild<QLabel *>(name + QStringLiteral("Desc"));
        if (!title || !desc)
            continue;
        QSize size = card.widget->size();
        size.setWidth(qMax(size.width(), title->x() + title->sizeHint().width()));
        title->resize(size.width() - title->x(), qMax(title->height(), title->sizeHint().height()));
        desc->move(desc->x(), qMax(desc->y(), title->geometry().bottom() + 1));
        desc->resize(size.width() - desc->x(), qMax(desc->height(), desc->heightForWidth(size.width() - desc->x())));
        size.setHeight(qMax(size.height(), desc->geometry().bottom() + 1));
        card.widget->setFixedSize(size);
        card.label->resize(qMax(card.label->width(), size.width()), qMax(card.label->height(), size.height()));
    }

    auto *grid = new QGridLayout(ui->scrollAreaWidgetContents);
    grid->setAlignment(Qt::AlignTop);
    for (const Card &card : cards)
        grid->addWidget(card.widget, card.row, card.column);
    grid->addWidget(ui->CustomWidget, 6, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->label);
    layout->addWidget(ui->scrollArea);

    // Every card is connected here, and only here: the form is built without connect-by-name, so the one
    // slot whose name matches its label's object name does not run twice per press.
    for (const Card &card : cards)
        connect(card.label, &ClickableLabel::clicked, this, card.slot);
}

QSize HomeForm::sizeShowingAllCards() const
{
    const int frame = 2 * ui->scrollArea->frameWidth();
    const QSize cards = ui->scrollAreaWidgetContents->sizeHint() + QSize(frame, frame);
    const QSize heading = ui->label->sizeHint();
    const QMargins margins = layout()->contentsMargins();
    return QSize(qMax(heading.width(), cards.width()) + margins.left() + margins.right(),
                 heading.height() + layout()->spacing() + cards.height() + margins.top() + margins.bottom());
}

HomeForm::~HomeForm()
{
    delete ui;
}

void HomeForm::on_AutoDarkModeLabel_clicked()
{
    qDebug() << "on_AutoDarkModeLabel_clicked";
    emit openModule(0);
}

void HomeForm::on_AutoWallpaperChanger_clicked()
{
    emit openModule(1);
}

void HomeForm::on_FolderSizeAnalyzer_clicked()
{
    emit openModule(2);
}

void HomeForm::on_FindDuplicate_clicked()
{
    emit openModule(3);
}

void HomeForm::on_MyTrayIcon_clicked()
{
    emit openModule(12);
}

void HomeForm::on_ProcessManager_clicked()
{
    emit openModule(11);
}

void HomeForm::on_SecureDelete_clicked()
{
    emit openModule(4);
}

void HomeForm::on_SmartShortcut_clicked()
{
    emit openModule(10);
}

void HomeForm::on_SystemInformation_clicked()
{
    emit openModule(5);
}

void HomeForm::on_TrackCleaner_clicked()
{
    emit openModule(6);
}

void HomeForm::on_TransparentTaskbar_clicked()
{
    emit openModule(7);
}

void HomeForm::on_Troubleshooter_clicked()
{
    emit openModule(8);
}

void HomeForm::on_Hushdeck_clicked()
{
    emit openModule(9);
}
