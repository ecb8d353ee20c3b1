// untergrenze.cpp - the least that a reader of one character per exported
// call does: a shared library of its own whose function takes the position
// and the length from a caller's record, reads the byte and stores the
// position back, with none of KR_Zeichen_lesen's counting, comment lines or
// choice of source.  bench_zeichen measures it as the floor of the interface.
#include <cstdint>

extern "C" {

struct Untergrenze_Satz {
    const unsigned char *puffer;
    uint32_t laenge;
    int32_t position;
};

__attribute__((visibility("default"))) int Untergrenze_lesen(Untergrenze_Satz *s)
{
    int32_t p = s->position;
    if (p >= static_cast<int32_t>(s->laenge))
        return -1;
    s->position = p + 1;
    return s->puffer[p];
}

} // extern "C"
