#include "imageaddress.h"

#include <cstring>

namespace imageaddress {

bool elementText(const char *data, size_t size, const char *open, const char *close, std::string *text)
{
    const std::string whole(data, size);
    const size_t begin = whole.find(open);
    if (begin == std::string::npos)
        return false;
    const size_t start = begin + std::strlen(open);
    const size_t end = whole.find(close, start);
    if (end == std::string::npos)
        return false;
    *text = whole.substr(start, end - start);
    return true;
}

std::string build(const char *origin, const std::string &path)
{
    struct Entity
    {
        const char *text;
        char value;
    };
    static const Entity entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string plain;
    for (size_t i = 0; i < path.size();) {
        char c = path[i];
        size_t used = 1;
        if (c == '&') {
            for (const Entity &e : entities) {
                if (path.compare(i, std::strlen(e.text), e.text) == 0) {
                    c = e.value;
                    used = std::strlen(e.text);
                    break;
                }
            }
        }
        plain += c;
        i += used;
    }
    // A path relative to the host only: "//x" or "@x" would name another host, "\" counts as "/" to browsers'
    // parsers, and blanks and control characters are dropped by some parsers, which could join what follows.
    if (plain.empty() || plain[0] != '/' || (plain.size() > 1 && plain[1] == '/'))
        return std::string();
    for (const char c : plain) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == '@' || c == '\\')
            return std::string();
    }
    std::string address = std::string(origin) + plain;
    return address.size() <= MaxLength ? address : std::string();
}

} // namespace imageaddress
