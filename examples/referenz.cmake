# Writes AUS, a C program that runs every ```c example of the page SEITE as
# the body of a function of its own, with assert checking (never NDEBUG).
# With ORDNER instead: makes that folder afresh with a copy of BEISPIELE as
# examples/, where the program runs.
cmake_minimum_required(VERSION 3.22)
if(ORDNER)
  file(REMOVE_RECURSE ${ORDNER})
  file(MAKE_DIRECTORY ${ORDNER})
  file(COPY ${BEISPIELE}/ DESTINATION ${ORDNER}/examples)
  return()
endif()
file(READ ${SEITE} text)
set(programm "/* Generated from ${SEITE}: its examples, one function each. */
#undef NDEBUG
#include <korvan.h>

#include <assert.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
")
set(anzahl 0)
while(TRUE)
  string(FIND "${text}" "```c\n" anfang)
  if(anfang EQUAL -1)
    break()
  endif()
  math(EXPR anfang "${anfang} + 5")
  string(SUBSTRING "${text}" ${anfang} -1 text)
  string(FIND "${text}" "\n```" ende)
  string(SUBSTRING "${text}" 0 ${ende} beispiel)
  string(SUBSTRING "${text}" ${ende} -1 text)
  math(EXPR anzahl "${anzahl} + 1")
  string(APPEND programm "\nstatic void beispiel_${anzahl}(void)\n{\n${beispiel}\n}\n")
endwhile()
string(APPEND programm "\nint main(void)\n{\n")
foreach(i RANGE 1 ${anzahl})
  string(APPEND programm "    beispiel_${i}();\n")
endforeach()
string(APPEND programm "    printf(\"${anzahl} examples\\n\");\n    return 0;\n}\n")
file(WRITE ${AUS}.neu "${programm}")
file(COPY_FILE ${AUS}.neu ${AUS} ONLY_IF_DIFFERENT)
