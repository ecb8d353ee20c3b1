// posix.h - helpers shared by the POSIX side of the platform layer.
#ifndef KORVAN_PLATTFORM_POSIX_H
#define KORVAN_PLATTFORM_POSIX_H

#include <climits>
#include <cstring>

// The library's path as the system wants it: every '\' becomes '/'.  Held in
// a fixed buffer so that no call allocates; a path too long for the system
// (or null) gives gut == false and an empty text.
struct Posix_Pfad {
    char text[PATH_MAX];
    bool gut;

    explicit Posix_Pfad(const char *pfad) : gut(false)
    {
        text[0] = '\0'; // the rest is never read before it is written
        if (!pfad)
            return;
        size_t n = std::strlen(pfad);
        if (n >= sizeof text)
            return;
        for (size_t i = 0; i <= n; ++i)
            text[i] = pfad[i] == '\\' ? '/' : pfad[i];
        gut = true;
    }
    const char *c_str() const { return text; }
};

#endif // KORVAN_PLATTFORM_POSIX_H
