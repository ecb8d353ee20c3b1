#!/usr/bin/env python3
"""dll-tabellen-pruefen.py - checks the export and import tables of the
Windows DLLs of a build folder against the interface they must offer.

  scripts/dll-tabellen-pruefen.py BUILD_FOLDER

Reads the tables with the mingw-w64 objdump and nm of the DLLs' machine.
Checks, for Korvan.dll, Quidel32.dll and Tamsel.dll:
  - every function at its ordinal, under its name, and nothing else exported;
  - the calling convention: on 32-bit Windows the export leads to the
    compiler's symbol of the right decoration (stdcall _name@bytes for
    Quidel32, cdecl _name for Korvan and Tamsel), and the code returns
    accordingly (stdcall: every ret pops the argument bytes; cdecl: no ret
    pops anything);
  - Korvan.dll imports Quidel32.dll and Tamsel.dll by ordinal only, each
    import slot being the one its function's ordinal names;
  - the DLLs need no DLL but the system's and each other.
Exits 1 with a list of every fault found.
"""
import os
import re
import subprocess
import sys

KORVAN = [
    "KR_Argumente_lesen", "KR_Arg_freigeben", "KR_Zeichen_lesen", "KR_Zeichen_ruecklesen",
    "KR_Element_lesen", "KR_Arg_finden", "KR_Zugriffshandle_clonen", "KR_Konfig_Datei_oeffnen",
    "KR_Konfig_Datei_schliessen", "KR_naechste_Zeile", "KR_Abschnitt_finden", "KR_Eintrag_finden",
    "KR_naechster_Eintrag", "KR_naechster_Abschnitt", "KR_Abschnitt_loeschen",
    "KR_Konfig_Datei_schreiben", "KR_Block_hinzufuegen", "KR_Wahre_Klasse_finden",
    "KR_Klasse_finden", "KR_Klasse_loeschen", "KR_Konfig_Datei_anlegen", "KR_naechstes_Symbol",
    "KR_Symbol_holen", "KR_Teil_hinzu", "KR_Slashify", "KR_FileTree", "KR_FileTreefree",
    "KR_DelTree", "KR_Ausfuehren", "KR_INI_Eintrag_finden", "KR_naechster_INI_Eintrag",
    "KR_Standardwerkzeug_aufrufen", "KR_Differenzpfad", "KR_Ausfuehren_async",
    "KR_Standardwerkzeug_aufrufen_expl", "KR_Zeile_lesen", "KR_Basisname", "KR_Preprozess",
    "KR_Element_lesen_2", "KR_Abschnittszeile_lesen", "KR_positionieren", "KR_Datei_oeffnen",
]
# name: (ordinal, bytes of arguments that a stdcall function pops, or None for cdecl)
ERWARTET = {
    "Korvan.dll": {name: (ordinal, None) for ordinal, name in enumerate(KORVAN, 2)},
    "Quidel32.dll": {
        "Quidel_Anlegen": (20, 12), "Quidel_Freigeben": (21, 4), "Quidel_Schreiben": (22, 20),
        "Quidel_Lesen": (23, 20), "Quidel_Kopieren": (24, 24), "Quidel_Groesse_aendern": (26, 8),
        "Quidel_Speichern": (60, 8), "Quidel_Laden": (61, 12),
    },
    "Tamsel.dll": {
        "Tamsel_PoolAlloc": (50, None), "Tamsel_PoolRelease": (51, None), "Tamsel_Alloc": (52, None),
        "Tamsel_Free": (53, None), "Tamsel_Resize": (54, None),
    },
}
# DLLs of the system that the DLLs may import (lower case).
SYSTEM = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shlwapi.dll"}

fehler = []


def fehlt(text):
    fehler.append(text)


def ausfuehren(*befehl):
    r = subprocess.run(befehl, capture_output=True, text=True)
    if r.returncode != 0:
        sys.exit(f"{' '.join(befehl)} failed:\n{r.stderr}")
    return r.stdout


class Dll:
    """The tables of one DLL as objdump -p and nm show them."""

    def __init__(self, pfad, werkzeug):
        self.pfad = pfad
        self.name = os.path.basename(pfad)
        text = ausfuehren(werkzeug + "objdump", "-p", pfad)
        self.bits32 = "file format pei-i386" in text
        self.basis = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M).group(1), 16)
        self.exporte = self._exporte(text)    # ordinal -> (rva, name or None)
        self.importe = self._importe(text)    # dll (lower case) -> [(slot rva, ordinal or None, name)]
        self.symbole = {}                     # symbol -> address
        for zeile in ausfuehren(werkzeug + "nm", pfad).splitlines():
            teile = zeile.split()
            if len(teile) == 3:
                self.symbole[teile[2]] = int(teile[0], 16)

    @staticmethod
    def _exporte(text):
        m = re.search(r"Export Address Table -- Ordinal Base (\d+)\n(.*?)\n\n"
                      r"\[Ordinal/Name Pointer\] Table\n(.*?)\n\n", text, re.S)
        if not m:
            return {}
        basis = int(m.group(1))
        adressen = {int(i): int(rva, 16) for i, rva in
                    re.findall(r"\[\s*(\d+)\] \+base\[\s*\d+\] ([0-9a-f]+) Export RVA", m.group(2))}
        namen = {int(i): n for i, n in re.findall(r"\[\s*(\d+)\] (\S+)", m.group(3))}
        return {basis + i: (rva, namen.get(i)) for i, rva in adressen.items()}

    @staticmethod
    def _importe(text):
        importe = {}
        teil = text.split("The Import Tables", 1)[1].split("The Export Tables", 1)[0] \
            if "The Import Tables" in text else ""
        # Each DLL: a header line whose last column is its first import slot,
        # then "DLL Name:", then one line per import.
        for m in re.finditer(r"^ [0-9a-f]+\s+[0-9a-f]+ [0-9a-f]+ [0-9a-f]+ [0-9a-f]+ ([0-9a-f]+)\n"
                             r"\s*DLL Name: (\S+)\n\s*vma:.*?\n(.*?)(?=\n\s*\n| [0-9a-f]{8}\s)", teil, re.S | re.M):
            erster = int(m.group(1), 16)
            eintraege = []
            for n, zeile in enumerate(l for l in m.group(3).splitlines() if l.strip()):
                spalten = zeile.split()
                wert = int(spalten[0], 16)
                name = spalten[2] if len(spalten) > 2 else "<none>"
                # An import by ordinal has the top bit of its slot set and
                # the ordinal in the low 16 bits.
                breite = 4 if "pei-i386" in text else 8
                nach_ordinal = wert >> (8 * breite - 1) == 1
                eintraege.append((erster + n * breite, wert & 0xFFFF if nach_ordinal else None, name))
            importe[m.group(2).lower()] = eintraege
        return importe

    def symbol(self, name):
        """The compiler's symbol of an exported name: on 32-bit Windows C names
        carry a leading underscore."""
        return ("_" + name) if self.bits32 else name


def rueckspruenge(dll, werkzeug, symbol):
    """The immediate of every ret of a function ('' for a plain ret).  The
    function ends where the next symbol begins: objdump's --disassemble=NAME
    runs on through the local symbols behind it."""
    anfang = dll.symbole[symbol]
    ende = min((a for a in dll.symbole.values() if a > anfang), default=anfang + 0x10000)
    text = ausfuehren(werkzeug + "objdump", "-d", "--no-show-raw-insn", f"--start-address={anfang:#x}",
                      f"--stop-address={ende:#x}", dll.pfad)
    return [m.group(1) or "" for m in re.finditer(r"\tret\s*(?:\$0x([0-9a-f]+))?\s*$", text, re.M)]


def exporte_pruefen(dll, erwartet, werkzeug):
    for name, (ordinal, stdcall) in sorted(erwartet.items(), key=lambda e: e[1][0]):
        eintrag = dll.exporte.get(ordinal)
        if eintrag is None:
            fehlt(f"{dll.name}: ordinal {ordinal} ({name}) is not exported")
            continue
        rva, exportname = eintrag
        if exportname != name:
            fehlt(f"{dll.name}: ordinal {ordinal} is named {exportname}, not {name}")
            continue
        if not dll.bits32:
            continue
        # The convention, from the compiler's decoration and from the code.
        richtig = dll.symbol(name) + (f"@{stdcall}" if stdcall is not None else "")
        falsch = [s for s in dll.symbole if re.fullmatch(re.escape(dll.symbol(name)) + r"(@\d+)?", s) and s != richtig]
        if dll.symbole.get(richtig) != dll.basis + rva:
            fehlt(f"{dll.name}: ordinal {ordinal} does not lead to {richtig}"
                  + (f" (found {', '.join(falsch)})" if falsch else ""))
            continue
        rets = rueckspruenge(dll, werkzeug, richtig)
        if stdcall is not None and (not rets or any(r == "" or int(r, 16) != stdcall for r in rets)):
            fehlt(f"{dll.name}: {richtig} does not pop {stdcall} bytes on every return ({rets})")
        if stdcall is None and any(r != "" for r in rets):
            fehlt(f"{dll.name}: {richtig} pops its arguments, not the C calling convention ({rets})")
    for ordinal, (_, name) in sorted(dll.exporte.items()):
        if name not in erwartet or erwartet[name][0] != ordinal:
            fehlt(f"{dll.name}: unexpected export {name or '(no name)'} at ordinal {ordinal}")


def importe_pruefen(korvan, bibliothek, erwartet):
    eintraege = korvan.importe.get(bibliothek.lower(), [])
    slots = {slot: (ordinal, name) for slot, ordinal, name in eintraege}
    for slot, ordinal, name in eintraege:
        if ordinal is None:
            fehlt(f"Korvan.dll imports {name} from {bibliothek} by name, not by ordinal")
    genutzt = []
    for name, (ordinal, stdcall) in sorted(erwartet.items(), key=lambda e: e[1][0]):
        imp = "__imp_" + korvan.symbol(name) + (f"@{stdcall}" if korvan.bits32 and stdcall is not None else "")
        adresse = korvan.symbole.get(imp)
        andere = [s for s in korvan.symbole if s.startswith("__imp_" + korvan.symbol(name)) and s != imp
                  and re.fullmatch(r"(@\d+)?", s[len("__imp_" + korvan.symbol(name)):])]
        if andere:
            fehlt(f"Korvan.dll calls {name} as {', '.join(andere)}, not as {imp}")
        if adresse is None:
            continue
        slot = slots.get(adresse - korvan.basis)
        if slot is None:
            fehlt(f"Korvan.dll: {imp} is no import slot of {bibliothek}")
        elif slot[0] != ordinal:
            fehlt(f"Korvan.dll: {imp} imports ordinal {slot[0]} of {bibliothek}, not {ordinal}")
        else:
            genutzt.append(f"{name}@{ordinal}")
    if len(genutzt) != len(eintraege):
        fehlt(f"Korvan.dll: {len(eintraege)} imports from {bibliothek}, {len(genutzt)} of them accounted for")
    return genutzt


def abhaengigkeiten_pruefen(dll):
    erlaubt = SYSTEM | {n.lower() for n in ERWARTET}
    for name in dll.importe:
        if name not in erlaubt and not name.startswith("api-ms-win-"):
            fehlt(f"{dll.name} needs {name}, which Windows does not bring")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    bau = sys.argv[1]
    bin_ordner = os.path.join(bau, "bin")
    kopf = open(os.path.join(bau, "CMakeCache.txt")).read()
    m = re.search(r"^CMAKE_NM:\w+=(\S*-w64-mingw32-)nm$", kopf, re.M)
    if not m:
        sys.exit(f"{bau} is no mingw-w64 build")
    werkzeug = m.group(1)

    dlls = {name: Dll(os.path.join(bin_ordner, name), werkzeug) for name in ERWARTET}
    exporte_pruefen(dlls["Korvan.dll"], ERWARTET["Korvan.dll"], werkzeug)
    exporte_pruefen(dlls["Quidel32.dll"], ERWARTET["Quidel32.dll"], werkzeug)
    exporte_pruefen(dlls["Tamsel.dll"], ERWARTET["Tamsel.dll"], werkzeug)
    genutzt = {b: importe_pruefen(dlls["Korvan.dll"], b, ERWARTET[b]) for b in ("Quidel32.dll", "Tamsel.dll")}
    for dll in dlls.values():
        abhaengigkeiten_pruefen(dll)
    for b, liste in genutzt.items():
        if not liste:
            fehlt(f"Korvan.dll imports nothing from {b}")

    art = "32-bit" if dlls["Korvan.dll"].bits32 else "64-bit"
    exportiert = sum(1 for _, name in dlls["Korvan.dll"].exporte.values() if name in ERWARTET["Korvan.dll"])
    print(f"{art}: Korvan.dll exports {exportiert} of {len(KORVAN)} functions")
    for b, liste in genutzt.items():
        print(f"{art}: Korvan.dll imports from {b} by ordinal: {' '.join(liste)}")
    if fehler:
        print("\n".join("FAULT: " + f for f in fehler))
        sys.exit(1)
    print(f"{art}: export and import tables are right")


if __name__ == "__main__":
    main()
