// Types shared by the catalogue, its dialogs and its backup files.
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace KRGlobal {

// One pending change of one setting, as a page reports it; also one record of a backup file.
struct SettingsData
{
    int index = 0;          // setting id
    QString desc;           // the new choice, as the page words it
    bool reserved = false;  // read from a backup: oldValue may be only the beginning of the earlier text
    QString location;       // the tab that holds the page
    QString oldValue;       // the value as last loaded, as text
    bool isDefault = false; // the value was absent when last loaded: restoring deletes it
    QString oldDesc;        // the value as last loaded, as the page words it

    bool operator==(const SettingsData &o) const
    {
        return index == o.index && desc == o.desc && reserved == o.reserved && location == o.location &&
               oldValue == o.oldValue && isDefault == o.isDefault && oldDesc == o.oldDesc;
    }
};

} // namespace KRGlobal

Q_DECLARE_METATYPE(KRGlobal::SettingsData)
