// Host names as Windows names, reversibly: a name may hold on the host what a Windows name cannot. The
// characters Windows forbids in a name (\ : * ? " < > |), and a dot or blank that ends a name (which Windows
// drops from a path), show as U+F000 + the character, and each byte that is not part of valid UTF-8 shows as a
// lone surrogate U+DC80..U+DCFF. Mapped back, every name is its host
// bytes again, so a listed name reaches the same file and never a separator or a parent folder.
//
// Three spellings: host bytes (what the host's calls take), host text (the bytes decoded, one lone surrogate
// per stray byte; a literal backslash is a name character) and Windows text (host text with the forbidden
// characters mapped). The slash is a separator in all three and is never mapped.
#pragma once

#include <QByteArray>
#include <QString>

namespace hostnames {

// Host bytes as host text: valid UTF-8 decoded, every other byte as U+DC00 + the byte.
QString decode(const QByteArray &bytes);
// Host text as host bytes: the reverse of decode(). A lone surrogate outside U+DC80..U+DCFF, which no host
// name decodes to, becomes U+FFFD.
QByteArray encode(const QString &text);

// Host text as Windows text: each forbidden character, and the dot or blank that ends a name (not "." or ".."),
// as U+F000 + the character. A name that holds such a
// mapped character itself gives its bytes as stray bytes, so that toHost() cannot take it for another name.
QString toWindows(const QString &hostText);
// Windows text as host text: U+F000 + a mapped character back to the character; other text as it is. A name
// (between separators, '/' or '\') that would come back as "." or ".." keeps its mapped characters.
QString toHost(const QString &windowsText);

// The Windows spelling of a host path given as bytes (a file URL, a listing): toWindows(decode(bytes)).
QString windowsName(const QByteArray &bytes);

} // namespace hostnames
