// What every setting page of the catalogue offers. A page owns one setting or a few (its Setting pieces),
// reads them when it is built, reports each change the user makes through settingChanged, and writes a
// setting only when the catalogue asks, by setting id.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class Setting;

class SettingPage : public QWidget
{
    Q_OBJECT

public:
    // location: the tab name the page reports with each change; keywords: what the search looks in.
    SettingPage(const QString &location, const QString &keywords, QWidget *parent);
    ~SettingPage() override;

    QString location() const { return tabName; }
    // Ids of the page's settings, in id order.
    QList<int> settingIds() const;

    // Re-reads every setting of the page in id order, values and missing flags before the controls.
    virtual void loadSetting();
    // Re-reads one setting only, so the page's other controls keep choices that are still to be written.
    void reloadSetting(int index);
    // True when the page's keywords contain the text, both lowered; an empty text matches every page.
    virtual bool matchesKeyword(QString keyword);
    // Writes setting index: the control's value, or with fromStored the stored text (with removeValue the
    // value is deleted instead). Raises the page's one-shot flag, whether or not the page owns the id.
    // True when the page owns the id and the system took the value (a refused registry write is false).
    // Each page's writeData returns this, so the catalogue learns of every failed write.
    virtual bool writeSetting(int index, bool fromStored, bool removeValue, QString storedValue);
    // Reads setting index's text from the system now (not as last loaded); false when the page does not own
    // the id, the setting is no text or the read fails.
    bool currentText(int index, QString *text) const;

signals:
    void settingChanged(int index, QString desc, QString location, QString oldValue, bool isDefault, QString oldDesc);

protected:
    // The one-shot flag this page raises in every write (theme refresh, shell notification, Explorer restart).
    void raiseOnWrite(bool *flag) { oneShotFlag = flag; }
    Setting *setting(int index) const;

private:
    friend class Setting;
    void addSetting(Setting *setting);
    void report(int index, const QString &desc, const QString &oldValue, bool missing, const QString &oldDesc);

    QString tabName;
    QString keywords;
    QList<Setting *> settings;
    bool *oneShotFlag = nullptr;
};
