#include "checkupdatedialog.h"

CheckUpdateDialog::CheckUpdateDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Check Update"));
}
