// The Smart Shortcut module page: writes a shell link that starts an application through the launcher,
// which applies the chosen priority. The action is enabled only while the fields are valid.
#pragma once

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

class SmartShortcutForm : public QWidget
{
    Q_OBJECT

public:
    explicit SmartShortcutForm(QWidget *parent = nullptr);

    bool validateInput();
    // The one argument the link hands to the launcher: free-RAM choice, priority, application, parameters.
    QString launcherArguments() const;

    QAction *createShortcutAction = nullptr;

private slots:
    void on_appNameLineEdit_textChanged(const QString &);
    void on_appPathLineEdit_textChanged(const QString &);
    void on_appParamLineEdit_textChanged(const QString &);
    void on_shortcutLocationLineEdit_textChanged(const QString &);
    void on_appPriorityComboBox_currentIndexChanged(int index);
    void on_freeupRAMComboBox_currentIndexChanged(int index);
    void on_appPathToolButton_clicked();
    void on_shortcutLocationToolButton_clicked();
    void OnCreateShortcut(bool checked);

private:
    QLabel *appPathLabel;
    QLineEdit *appPathLineEdit;
    QToolButton *appPathToolButton;
    QLabel *appNameLabel;
    QLineEdit *appNameLineEdit;
    QLabel *appParamLabel;
    QLineEdit *appParamLineEdit;
    QLabel *shortcutLocationLabel;
    QLineEdit *shortcutLocationLineEdit;
    QToolButton *shortcutLocationToolButton;
    QLabel *appPriorityLabel;
    QComboBox *appPriorityComboBox;
    QLabel *freeupRAMLabel;
    QComboBox *freeupRAMComboBox;
    QLabel *noteLabel;
    QLabel *infoImage;
    QLabel *infoLabel;
};
