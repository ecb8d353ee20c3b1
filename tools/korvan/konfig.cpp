// konfig.cpp - the subcommands on configuration files.
#include "befehl.h"

int Befehl_sections(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
int Befehl_show(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
int Befehl_get(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
int Befehl_set(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
int Befehl_remove(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
int Befehl_args(const Unterbefehl &b, const Werte &) { return Fehler(b, Status_Fehler, "not yet"); }
