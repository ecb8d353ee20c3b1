// posix.h - helpers shared by the POSIX side of the platform layer.
#ifndef KORVAN_PLATTFORM_POSIX_H
#define KORVAN_PLATTFORM_POSIX_H

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "../plattform.h"

static_assert(Systempfadgrenze == PATH_MAX, "the desktop's files take the system's paths");

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

// Up to n bytes: the count read, 0 at the end, -1 on failure; a read that a
// signal interrupted is tried again.
inline ptrdiff_t Posix_lesen(int fd, void *ziel, size_t n)
{
    ssize_t r;
    do
        r = ::read(fd, ziel, n);
    while (r < 0 && errno == EINTR);
    return r;
}

// All n bytes, or false.
inline bool Posix_schreiben(int fd, const void *quelle, size_t n)
{
    auto *p = static_cast<const unsigned char *>(quelle);
    while (n > 0) {
        ssize_t r = ::write(fd, p, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

#endif // KORVAN_PLATTFORM_POSIX_H
