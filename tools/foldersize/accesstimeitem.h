// A "Last Access Time" cell of the Data Files: it keeps the file time and writes its text the first time the
// text is asked for, on the GUI thread, so that a scan of many files formats only the dates someone looks at
// or sorts by.
#pragma once

#include "resultitem.h"
#include "win32.h"

class AccessTimeItem : public ResultItem
{
public:
    explicit AccessTimeItem(const FILETIME &time);

    QStandardItem *clone() const override;

protected:
    QVariant shownValue() const override;

private:
    FILETIME time;
    mutable QString text;
};
