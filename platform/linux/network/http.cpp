// The stand-in's part of HTTP: requests go out through Qt Network for real, but first through the machine's
// URL overrides (table urloverrides), so that a test can point the update host or the image archive at a
// local server. No override: the URL is left as it is.
#include "win32.h"
#include "linux/machine/machine.h"

#include <QUrl>

namespace {

// A prefix matches at a boundary only: "http://host" is not a prefix of "http://hostname/".
bool matches(const QString &text, const QString &prefix)
{
    if (prefix.isEmpty() || !text.startsWith(prefix))
        return false;
    if (text.size() == prefix.size() || prefix.endsWith(QLatin1Char('/')))
        return true;
    const QChar next = text.at(prefix.size());
    return next == QLatin1Char('/') || next == QLatin1Char('?') || next == QLatin1Char('#');
}

} // namespace

QUrl machineUrl(const QUrl &url)
{
    const QString text = url.toString(QUrl::FullyEncoded);
    QString prefix;
    QString target;
    {
        machine::Lock lock;
        machine::Query q("SELECT prefix, target FROM urloverrides");
        while (q.next()) {
            const QString candidate = q.text(0);
            // The longest matching prefix wins, so a test can override one path below an overridden host.
            if (matches(text, candidate) && candidate.size() > prefix.size()) {
                prefix = candidate;
                target = q.text(1);
            }
        }
    }
    if (prefix.isEmpty())
        return url;
    return QUrl(target + text.mid(prefix.size()), QUrl::TolerantMode);
}
