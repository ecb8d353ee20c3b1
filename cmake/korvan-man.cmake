# Writes the manual page korvan(1) to AUS from the command's own help texts
# (`korvan help` and `korvan help SUBCOMMAND`), so that they live in one place.
# Usage: cmake -DKORVAN=path/to/korvan -DVERSION=x.y.z -DAUS=korvan.1 -P korvan-man.cmake

function(hilfe ergebnis)
  execute_process(COMMAND ${KORVAN} help ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "korvan help ${ARGN} failed")
  endif()
  set(${ergebnis} "${text}" PARENT_SCOPE)
endfunction()

# Plain text as roff: backslashes and hyphens escaped, no line taken for a
# request, a blank line a new paragraph.
function(roff ergebnis text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(REGEX REPLACE "\n\n+" "\n.sp\n" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${ergebnis} "${text}" PARENT_SCOPE)
endfunction()

hilfe(uebersicht)
# The closing notes of the overview: options and paths, then the exit status.
string(REGEX MATCH "\n\n(Options[^\n]*\n.*)$" _ "${uebersicht}")
set(schluss "${CMAKE_MATCH_1}")
string(FIND "${schluss}" "Exit status:" stelle)
string(SUBSTRING "${schluss}" 0 ${stelle} hinweise)
string(SUBSTRING "${schluss}" ${stelle} -1 status)
string(REGEX REPLACE "^Exit status: *" "" status "${status}")
roff(hinweise "${hinweise}")
roff(status "${status}")

set(man ".TH KORVAN 1 \"\" \"Korvan ${VERSION}\" \"User Commands\"
.SH NAME
korvan \\- configuration files, argument lines, include trees, paths and programs from a shell
.SH SYNOPSIS
.B korvan
.I SUBCOMMAND
.RI [ OPTION ]...
.RI [ OPERAND ]...
.br
.B korvan help
.RI [ SUBCOMMAND ]
.SH DESCRIPTION
.B korvan
makes every job of the Korvan support library usable from a shell.
${hinweise}
.SH SUBCOMMANDS
")

# Each subcommand of the overview: two blanks, then its one or two
# lower-case words.
string(REPLACE "\n" ";" zeilen "${uebersicht}")
foreach(zeile IN LISTS zeilen)
  if(NOT zeile MATCHES "^  ([a-z]+( [a-z]+)?)( |$)")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  if(name STREQUAL "help" OR name MATCHES "^[A-Z]")
    continue()
  endif()
  string(REPLACE " " ";" woerter "${name}")
  hilfe(text ${woerter})
  if(NOT text MATCHES "^Usage: korvan ([^\n]*)\n\n(.*)\nOptions:\n(.*)$")
    message(FATAL_ERROR "unexpected help text of ${name}:\n${text}")
  endif()
  set(aufruf "${CMAKE_MATCH_1}")
  set(optionen "${CMAKE_MATCH_3}")
  roff(beschreibung "${CMAKE_MATCH_2}")
  roff(aufruf "${aufruf}")
  # One option a line, as the help has them.
  string(REGEX REPLACE "\n$" "" optionen "${optionen}")
  roff(optionen "${optionen}")
  string(APPEND man ".TP\n.B ${aufruf}\n${beschreibung}\n.br\n.nf\n${optionen}\n.fi\n")
endforeach()

string(APPEND man ".TP
.B help \\fR[\\fISUBCOMMAND\\fR]
Lists the subcommands, or tells all about one.
.SH EXIT STATUS
${status}
.SH ENVIRONMENT
.TP
.B KORVAN_REGISTRY
The .reg file of registered file types that
.B open
reads; when unset,
.I $XDG_CONFIG_HOME/korvan/classes.reg
(default
.IR ~/.config/korvan/classes.reg ).
.SH SEE ALSO
The C interface is described beside each function in
.IR /usr/include/korvan/korvan.h .
")
file(WRITE ${AUS} "${man}")
