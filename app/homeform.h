// The home page. Stands in until the home page is built: it keeps the openModule signal.
#pragma once

#include <QWidget>

class HomeForm : public QWidget
{
    Q_OBJECT

public:
    explicit HomeForm(QWidget *parent = nullptr);

signals:
    void openModule(int id);
};
