// The image address that the image archive's answer leads to, in one place for the helper and the main
// program. The answer is plain HTTP-reachable data: whoever answers may put anything between <url> and
// </url>, so the address is built such that its host is always the image host we chose.
#pragma once

#include <cstddef>
#include <string>

namespace imageaddress {

// Longest address either program hands to a download (terminator not counted).
const size_t MaxLength = 1023;

// The text between `open` and `close` in data[0, size), found in that order; false when either is missing.
bool elementText(const char *data, size_t size, const char *open, const char *close, std::string *text);

// `origin` (scheme and host, no trailing slash) followed by the answer's image path, the XML references of
// the five predefined entities resolved. Empty when the path is empty or could name another host or port:
// it must start with a single "/" and hold only printable ASCII, with no "@" or "\"; or when the address
// would be longer than MaxLength.
std::string build(const char *origin, const std::string &path);

} // namespace imageaddress
