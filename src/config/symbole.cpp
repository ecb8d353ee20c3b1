// symbole.cpp - text as a stream of symbols: blank-separated words and quoted
// strings, line breaks reported, ';', '(*' and '#' comments removed.
#include "config/konfig.h"

namespace {

using namespace konfig;

// One symbol read gives the element results Element_zu_lang, _keins, _Wort
// and _Zeichenkette; KR_naechstes_Symbol turns them into its own.

// Results of KR_naechstes_Symbol, kept in symbolstatus.
constexpr int Symbol_Ende = 0;
constexpr int Symbol_Zeilenumbruch = 1;
constexpr int Symbol_Wort = 2;
constexpr int Symbol_Zeichenkette = 3;

bool Ist_Wortende(int c)
{
    return c == Ende || Ist_Blank(c) || c == ';' || Ist_Zeilenende(c);
}

// A word from its first character c (already read): stored up to a blank,
// ';', a line end or the end of the text, zero-terminated, the character
// that ended it taken back.
int Wort_lesen(Leser &l, Ablage &a, int c)
{
    // 5.
    while (!Ist_Wortende(c)) {
        if (!a.speichern(c))
            return Element_zu_lang;
        c = Lesen(l);
    }
    // 6.
    if (!a.speichern('\0'))
        return Element_zu_lang;
    Zuruecklegen(l, c);
    return Element_Wort;
}

// The rest of a comment after its "(*".  A '*' takes the next character
// with it, so "**)" does not close the comment.  False when the text ends
// inside it.
bool Kommentar_ueberspringen(Leser &l)
{
    for (;;) {
        int c = Lesen(l);
        if (c == '*') {
            c = Lesen(l);
            if (c == ')')
                return true;
        }
        if (c == Ende)
            return false;
    }
}

// The symbol read: one word or quoted string of the current line.
int Symbol_lesen(Leser &l, char *puffer, int groesse)
{
    Ablage a(puffer, groesse);

    // 1. Blanks; the end of the line or of the text gives nothing.
    int c;
    do
        c = Lesen(l);
    while (Ist_Blank(c));
    if (c == Ende)
        return Element_keins;
    if (Ist_Zeilenende(c) || c == ';') {
        Zuruecklesen(l);
        return Element_keins;
    }

    // 2.
    l.h->elementanfang = l.h->position;

    // 3. A quoted string, bounded as the element reader bounds it.
    if (c == '"')
        return Zeichenkette_ablegen(l, a);

    // 4. A '(' opens a comment only when '*' follows; else it starts a word.
    if (c == '(') {
        if (a.groesse < 1)
            return Element_zu_lang;
        int n = Lesen(l);
        if (n != '*') {
            a.speichern('(');
            return Wort_lesen(l, a, n);
        }
        if (!Kommentar_ueberspringen(l))
            return Element_keins;
        // The word right after the comment is read, but reported as nothing.
        c = Lesen(l);
        l.h->elementanfang = l.h->position;
        int r = Wort_lesen(l, a, c);
        return r == Element_zu_lang ? Element_zu_lang : Element_keins;
    }

    // 5., 6. A word.
    return Wort_lesen(l, a, c);
}

int Status_setzen(Zugriffshandle *h, int status)
{
    h->symbolstatus = status;
    return status;
}

} // namespace

extern "C" {

int KR_CALL KR_naechstes_Symbol(Zugriffshandle *h)
{
    // 1.
    if (!h || !h->symbolpuffer)
        return -1;
    Leser l(h);

    // 2. After a line break a '#' in the first column opens a comment line;
    // memory sources have removed such lines already, file sources have not.
    if (h->symbolstatus == Symbol_Zeilenumbruch) {
        int c = Lesen(l);
        if (c == '#') {
            do
                c = Lesen(l);
            while (c != Ende && !Ist_Zeilenende(c));
        } else {
            Zuruecklegen(l, c);
        }
    }

    // 3. - 5.
    switch (Symbol_lesen(l, h->symbolpuffer, h->symbolgroesse)) {
    case Element_zu_lang: return Status_setzen(h, -1);
    case Element_Zeichenkette: return Status_setzen(h, Symbol_Zeichenkette);
    case Element_Wort: return Status_setzen(h, Symbol_Wort);
    default: break;
    }

    // 6. Nothing more on this line: its end, and a ';' comment after it.
    int c = Lesen(l);
    while (Ist_Zeilenende(c))
        c = Lesen(l);
    if (c == ';') {
        do
            c = Lesen(l);
        while (c != Ende && !Ist_Zeilenende(c));
        if (c == Ende)
            return Status_setzen(h, Symbol_Ende);
        while (Ist_Zeilenende(c))
            c = Lesen(l);
    }
    if (c == Ende)
        return Status_setzen(h, Symbol_Ende);
    Zuruecklesen(l);
    return Status_setzen(h, Symbol_Zeilenumbruch);
}

char *KR_CALL KR_Symbol_holen(Zugriffshandle *h, int *status)
{
    if (!h || !h->symbolpuffer) {
        if (status)
            *status = -1;
        return nullptr;
    }
    if (status)
        *status = h->symbolstatus;
    return h->symbolstatus != 0 ? h->symbolpuffer : nullptr;
}

} // extern "C"
