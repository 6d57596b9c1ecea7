// A small Windows image (PE32+) carrying only a version resource: what the stand-in writes where the
// machine's registry names a program or driver, so that its version shows as on Windows.
#pragma once

#include <QByteArray>
#include <QString>

namespace peimage {

struct Version
{
    QString companyName;
    QString fileDescription;
    QString fileVersion; // "10.0.22621.1 (WinBuild.160101.0800)": the first four numbers go in the fixed part
    QString productName;
    QString productVersion; // "10.0.22621.1"
    bool dll = false;       // a library (DLL, ACM driver) rather than a program
};

// The image: headers, and one .rsrc section holding RT_VERSION (VS_VERSIONINFO with the strings in the
// US English, Unicode table and its VarFileInfo translation). A few KiB.
QByteArray build(const Version &version);

} // namespace peimage
