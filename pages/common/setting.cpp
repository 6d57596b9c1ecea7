#include "setting.h"
#include "settingpage.h"

Setting::Setting(SettingPage *page, int id) : page(page), settingId(id)
{
    page->addSetting(this);
}

Setting::~Setting() = default;

void Setting::emitChange(const QString &desc, const QString &oldValue, const QString &oldDesc)
{
    page->report(settingId, desc, oldValue, missing, oldDesc);
}
