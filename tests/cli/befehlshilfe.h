// befehlshilfe.h - runs the built korvan command through the shell and
// gives its exit status and both outputs.
#ifndef KORVAN_BEFEHLSHILFE_H
#define KORVAN_BEFEHLSHILFE_H

#include "testhilfe.h"

#include <string>
#include <vector>

namespace kb {

struct Lauf {
    int status;
    std::string aus;    // standard output
    std::string fehler; // standard error
};

// Runs korvan with the arguments in the folder `ordner` (the source tree
// when empty), under the build's emulator if it has one.  `vorspann` is put
// before the command as it stands, for variables of the environment.
Lauf Korvan(const std::vector<std::string> &argumente, const std::string &ordner = "",
            const std::string &vorspann = "");

// The source tree, where examples/ lies.
std::string Quellbaum();

inline std::string Beispiel(const std::string &name)
{
    return "examples/" + name;
}

// SLASH, the switch that prints paths with '/', is the POSIX command's
// only: on Windows the command prints the system's own '\'.  Mit_Slash
// gives the arguments with the switch where there is one, Slash an output
// of paths as it is printed then, and Slashnutzung the switch in a usage.
#ifdef _WIN32
inline std::vector<std::string> Mit_Slash(std::vector<std::string> a)
{
    return a;
}
inline std::string Slash(std::string text)
{
    for (char &c : text)
        c = c == '/' ? '\\' : c;
    return text;
}
inline const std::string Slashnutzung = "";
#else
inline std::vector<std::string> Mit_Slash(std::vector<std::string> a)
{
    a.push_back("SLASH");
    return a;
}
inline std::string Slash(std::string text)
{
    return text;
}
inline const std::string Slashnutzung = " [SLASH]";
#endif

// One run of the command and all it must give: the exit status and both
// outputs, each compared whole.
struct Fall {
    std::vector<std::string> argumente;
    int status;
    std::string aus, fehler;
};

// Runs every case as Korvan does.
void Pruefen(const std::vector<Fall> &faelle, const std::string &ordner = "", const std::string &vorspann = "");

} // namespace kb

// The status and both outputs at once, so that a failure shows all three.
#define KB_ERWARTET(lauf, st, aus_, fehler_)                                                       \
    do {                                                                                           \
        const kb::Lauf &l_ = (lauf);                                                               \
        EXPECT_EQ(l_.status, (st)) << l_.fehler;                                                   \
        EXPECT_EQ(l_.aus, (aus_));                                                                 \
        EXPECT_EQ(l_.fehler, (fehler_));                                                           \
    } while (0)

#endif // KORVAN_BEFEHLSHILFE_H
