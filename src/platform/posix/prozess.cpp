// prozess.cpp - POSIX: starting command lines as the Windows runtime splits
// them, waiting for them, and starting them with nothing left to wait for.
//
// A start is a vfork and an execve of a program found in PATH beforehand.
// The child reports a failed execve through a close-on-exec pipe, so a
// program that cannot run is the start's failure and never an exit code
// (spawning libraries report that through memory shared with the child,
// which emulators of other processors do not share).  A start that nobody
// waits for forks once more in between: the middle process ends at once
// and is reaped here, and the program is left to the system's reaper.
#include "../plattform.h"
#include "posix.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The longest command line that Windows starts, terminator included.
constexpr size_t Befehlszeilengrenze = 32767;

struct Startplan {
    char programm[PATH_MAX];
    char **argumente; // one block: the pointers, then the texts
    int offen_grenze; // descriptors below this may be open
};

bool Leer(char c)
{
    return c == ' ' || c == '\t';
}

// The program name: quotes switch quoting on and off and are dropped, and
// a blank outside quotes ends it; backslashes are plain characters.
const char *Programmname_zerlegen(const char *p, char **ziel)
{
    bool in_anfuehrung = false;
    for (; *p && (in_anfuehrung || !Leer(*p)); ++p) {
        if (*p == '"')
            in_anfuehrung = !in_anfuehrung;
        else
            *(*ziel)++ = *p;
    }
    *(*ziel)++ = '\0';
    return p;
}

// One further argument: 2n backslashes before a quote give n backslashes and
// a quote that switches quoting, 2n+1 give n and a literal quote, "" inside
// quotes gives a literal quote; other backslashes stand for themselves.
const char *Argument_zerlegen(const char *p, char **ziel)
{
    bool in_anfuehrung = false;
    for (;;) {
        size_t schraeg = 0;
        while (*p == '\\') {
            ++p;
            ++schraeg;
        }
        bool kopieren = true;
        if (*p == '"') {
            if (schraeg % 2 == 0) {
                if (in_anfuehrung && p[1] == '"')
                    ++p;
                else {
                    kopieren = false;
                    in_anfuehrung = !in_anfuehrung;
                }
            }
            schraeg /= 2;
        }
        while (schraeg-- > 0)
            *(*ziel)++ = '\\';
        if (*p == '\0' || (!in_anfuehrung && Leer(*p)))
            break;
        if (kopieren)
            *(*ziel)++ = *p;
        ++p;
    }
    *(*ziel)++ = '\0';
    return p;
}

// Every argument takes at least one character and one blank, and none is
// longer than its text, so the block's size follows from the line's length.
char **Zerlegen(const char *zeile)
{
    size_t n = std::strlen(zeile);
    size_t plaetze = n / 2 + 3;
    auto **argv = static_cast<char **>(heapaufrufe.belegen(plaetze * sizeof(char *) + n + plaetze));
    if (!argv)
        return nullptr;
    char *ziel = reinterpret_cast<char *>(argv + plaetze);
    size_t k = 0;
    argv[k++] = ziel;
    const char *p = Programmname_zerlegen(zeile, &ziel);
    for (;;) {
        while (Leer(*p))
            ++p;
        if (!*p)
            break;
        argv[k++] = ziel;
        p = Argument_zerlegen(p, &ziel);
    }
    argv[k] = nullptr;
    return argv;
}

bool Ausfuehrbar(const char *pfad, uint32_t *fehler)
{
    struct stat st;
    if (::stat(pfad, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (::faccessat(AT_FDCWD, pfad, X_OK, AT_EACCESS) != 0) {
        *fehler = EACCES;
        return false;
    }
    return true;
}

// A name with a separator is taken as it stands; any other is looked for in
// the folders of PATH as execvp looks (an empty entry is the current folder).
// The current folder itself is not searched first, unlike on Windows.
uint32_t Programm_suchen(const char *name, char *ziel)
{
    Posix_Pfad sys(name);
    if (!sys.gut)
        return ENAMETOOLONG;
    size_t n = std::strlen(sys.text);
    if (n == 0)
        return ENOENT;
    if (std::strchr(sys.text, '/')) {
        std::memcpy(ziel, sys.text, n + 1);
        return 0;
    }
    const char *suchpfad = std::getenv("PATH");
    if (!suchpfad)
        suchpfad = "/bin:/usr/bin";
    uint32_t fehler = ENOENT;
    for (const char *a = suchpfad;; ++a) {
        const char *e = std::strchr(a, ':');
        size_t laenge = e ? static_cast<size_t>(e - a) : std::strlen(a);
        const char *ordner = laenge ? a : ".";
        size_t ol = laenge ? laenge : 1;
        if (ol + 1 + n < PATH_MAX) {
            std::memcpy(ziel, ordner, ol);
            ziel[ol] = '/';
            std::memcpy(ziel + ol + 1, sys.text, n + 1);
            if (Ausfuehrbar(ziel, &fehler))
                return 0;
        }
        if (!e)
            return fehler;
        a = e;
    }
}

uint32_t Plan_machen(const char *befehlszeile, Startplan *plan)
{
    if (!befehlszeile)
        return EINVAL;
    if (std::strlen(befehlszeile) >= Befehlszeilengrenze)
        return E2BIG;
    plan->argumente = Zerlegen(befehlszeile);
    if (!plan->argumente)
        return ENOMEM;
    uint32_t fehler = Programm_suchen(plan->argumente[0], plan->programm);
    if (fehler) {
        std::free(plan->argumente);
        return fehler;
    }
    long grenze = ::sysconf(_SC_OPEN_MAX);
    plan->offen_grenze = grenze > 0 && grenze < 65536 ? static_cast<int>(grenze) : 65536;
    return 0;
}

// Every descriptor above standard error is closed by the execve; the one
// that carries the report stays open until then.
void Beschreiber_abgeben(const Startplan &plan, int meldung)
{
#ifdef CLOSE_RANGE_CLOEXEC
    if (::close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    for (int fd = 3; fd < plan.offen_grenze; ++fd) {
        if (fd != meldung)
            ::close(fd);
    }
}

// Runs in the child of vfork, on the parent's memory: system calls only.
// The parent's handlers must not run here, so caught signals get their
// default before the mask (all blocked by the parent) is cleared; ignored
// signals stay ignored across the execve, as is the custom of this system.
[[noreturn]] void Im_Kind(const Startplan &plan, int meldung)
{
    struct sigaction standard;
    std::memset(&standard, 0, sizeof standard);
    standard.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
        struct sigaction alt;
        if (::sigaction(sig, nullptr, &alt) == 0 && alt.sa_handler != SIG_IGN && alt.sa_handler != SIG_DFL)
            ::sigaction(sig, &standard, nullptr);
    }
    Beschreiber_abgeben(plan, meldung);
    sigset_t leer;
    sigemptyset(&leer);
    ::sigprocmask(SIG_SETMASK, &leer, nullptr);
    ::execve(plan.programm, plan.argumente, environ);
    int code = errno;
    ssize_t geschrieben = ::write(meldung, &code, sizeof code);
    (void)geschrieben;
    ::_exit(127);
}

pid_t Kind_abspalten(const Startplan &plan, int meldung)
{
    sigset_t alle, alt;
    sigfillset(&alle);
    ::pthread_sigmask(SIG_SETMASK, &alle, &alt);
    pid_t kind = ::vfork();
    if (kind == 0)
        Im_Kind(plan, meldung);
    int fehler = errno;
    ::pthread_sigmask(SIG_SETMASK, &alt, nullptr);
    errno = fehler;
    return kind;
}

// The report of a start: nothing when the execve succeeded (every writer
// closed), else the error code.
uint32_t Meldung_lesen(int fd)
{
    int code = 0;
    ssize_t r;
    do
        r = ::read(fd, &code, sizeof code);
    while (r < 0 && errno == EINTR);
    return r == static_cast<ssize_t>(sizeof code) ? static_cast<uint32_t>(code) : 0;
}

bool Ernten(pid_t pid, int *status)
{
    pid_t r;
    do
        r = ::waitpid(pid, status, 0);
    while (r < 0 && errno == EINTR);
    return r == pid;
}

} // namespace

uint32_t Prozess_starten(const char *befehlszeile, Startart art, Prozess *prozess)
{
    (void)art; // no windows to hide here
    std::memset(prozess, 0, sizeof *prozess);
    Startplan plan;
    uint32_t fehler = Plan_machen(befehlszeile, &plan);
    if (fehler)
        return fehler;
    int rohr[2];
    if (::pipe2(rohr, O_CLOEXEC) != 0) {
        fehler = static_cast<uint32_t>(errno);
        std::free(plan.argumente);
        return fehler;
    }
    pid_t kind = Kind_abspalten(plan, rohr[1]);
    fehler = kind < 0 ? static_cast<uint32_t>(errno) : 0;
    ::close(rohr[1]);
    if (kind > 0) {
        fehler = Meldung_lesen(rohr[0]);
        if (fehler)
            Ernten(kind, nullptr);
    }
    ::close(rohr[0]);
    std::free(plan.argumente);
    if (!fehler)
        prozess->kennung = kind;
    return fehler;
}

uint32_t Prozess_loslassen(const char *befehlszeile, Startart art)
{
    (void)art;
    Startplan plan;
    uint32_t fehler = Plan_machen(befehlszeile, &plan);
    if (fehler)
        return fehler;
    int rohr[2];
    if (::pipe2(rohr, O_CLOEXEC) != 0) {
        fehler = static_cast<uint32_t>(errno);
        std::free(plan.argumente);
        return fehler;
    }
    pid_t mitte = ::fork();
    if (mitte == 0) {
        if (Kind_abspalten(plan, rohr[1]) < 0) {
            int code = errno;
            ssize_t geschrieben = ::write(rohr[1], &code, sizeof code);
            (void)geschrieben;
        }
        ::_exit(0);
    }
    fehler = mitte < 0 ? static_cast<uint32_t>(errno) : 0;
    ::close(rohr[1]);
    if (mitte > 0) {
        fehler = Meldung_lesen(rohr[0]);
        // Where SIGCHLD is ignored the system has reaped it already.
        Ernten(mitte, nullptr);
    }
    ::close(rohr[0]);
    std::free(plan.argumente);
    return fehler;
}

bool Prozess_warten(Prozess *prozess)
{
    int status;
    if (prozess->kennung <= 0 || prozess->beendet || !Ernten(static_cast<pid_t>(prozess->kennung), &status))
        return false;
    if (WIFEXITED(status))
        prozess->exitcode = static_cast<uint32_t>(WEXITSTATUS(status));
    else
        prozess->exitcode = 128u + static_cast<uint32_t>(WTERMSIG(status));
    prozess->beendet = true;
    return true;
}

bool Prozess_Exitcode(const Prozess *prozess, uint32_t *code)
{
    if (!prozess->beendet)
        return false;
    *code = prozess->exitcode;
    return true;
}

void Prozess_schliessen(Prozess *prozess)
{
    std::memset(prozess, 0, sizeof *prozess);
}

uint32_t Fehlercode_ungueltiger_Name()
{
    return EINVAL;
}
