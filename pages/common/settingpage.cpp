#include "settingpage.h"
#include "setting.h"

SettingPage::SettingPage(const QString &location, const QString &keywords, QWidget *parent)
    : QWidget(parent), tabName(location), keywords(keywords)
{
}

SettingPage::~SettingPage() = default;

QList<int> SettingPage::settingIds() const
{
    QList<int> ids;
    for (const Setting *s : settings)
        ids << s->id();
    return ids;
}

void SettingPage::loadSetting()
{
    for (Setting *s : std::as_const(settings))
        s->read();
}

void SettingPage::reloadSetting(int index)
{
    if (Setting *s = setting(index))
        s->read();
}

bool SettingPage::matchesKeyword(QString keyword)
{
    return keywords.toLower().contains(keyword.toLower());
}

bool SettingPage::writeSetting(int index, bool fromStored, bool removeValue, QString storedValue)
{
    Setting *s = setting(index);
    const bool written = s && s->write(fromStored, removeValue && s->restoreMayRemove, storedValue);
    if (oneShotFlag)
        *oneShotFlag = true;
    return written;
}

bool SettingPage::currentText(int index, QString *text) const
{
    const Setting *s = setting(index);
    return s && s->currentText(text);
}

Setting *SettingPage::setting(int index) const
{
    for (Setting *s : settings)
        if (s->id() == index)
            return s;
    return nullptr;
}

void SettingPage::addSetting(Setting *setting)
{
    settings.append(setting);
}

void SettingPage::report(int index, const QString &desc, const QString &oldValue, bool missing, const QString &oldDesc)
{
    emit settingChanged(index, desc, tabName, oldValue, missing, oldDesc);
}
