// The profile's Documents, Music, Pictures, Videos and Desktop: where the host user has such a folder, the
// profile's entry is a link to it, as a prefix links them. Windows has plain folders there, so the file
// functions go through such a link as if the host folder stood in the profile: no reparse point shows, and a
// walker that leaves links alone still reaches the user's own files.
#pragma once

#include <QString>

namespace userfolders {

// A host path below (or at) a profile entry that links to the host user's folder, taken through the link to
// that folder; any other path as it is.
QString throughLink(const QString &hostPath);

} // namespace userfolders
