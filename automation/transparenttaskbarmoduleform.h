// The Transparent Taskbar module page: the helper's taskbar transparency switch and level. The helper does
// the work; the page writes the values, hands the level over and makes the taskbar opaque when switched off.
#pragma once

#include "win32.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

class TransparentTaskbarModuleForm : public QWidget
{
    Q_OBJECT

public:
    explicit TransparentTaskbarModuleForm(QWidget *parent = nullptr);

    QAction *saveAction = nullptr;

private slots:
    void OnSaveGlasspan(bool checked);
    void on_GlasspanComboBox_currentIndexChanged(int index);
    void on_GlasspanHorizontalSlider_valueChanged(int value);
    void on_GlasspanLineEdit_textChanged(const QString &text);

private:
    void loadSettings();
    void saveSettings();
    // Hands the level to a running helper, or starts it with the level; then records it for logon.
    void switchOn();

    QLabel *GlasspanDescLabel;
    QLabel *GlasspanImage;
    QComboBox *GlasspanComboBox;
    QSlider *GlasspanHorizontalSlider;
    QLineEdit *GlasspanLineEdit;
};
