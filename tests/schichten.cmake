# The layers' include rules (bench/, measured against the system's calls, is left out): system headers only
# in the system layer, and the memory libraries include nothing of Korvan but the whole-file piece.
set(system_header
  "unistd\\.h|windows\\.h|fcntl\\.h|dirent\\.h|pthread\\.h|io\\.h|direct\\.h|signal\\.h|spawn\\.h|poll\\.h"
  "|termios\\.h|dlfcn\\.h|pwd\\.h|grp\\.h|sched\\.h|semaphore\\.h|utime\\.h|fnmatch\\.h|glob\\.h|ftw\\.h"
  "|libgen\\.h|netdb\\.h|process\\.h|share\\.h|conio\\.h|malloc\\.h|alloca\\.h|mntent\\.h|syslog\\.h|getopt\\.h"
  "|shlwapi\\.h|shlobj\\.h|shellapi\\.h|winreg\\.h|winbase\\.h|winnt\\.h|winuser\\.h|winsock2?\\.h"
  "|fileapi\\.h|handleapi\\.h|processthreadsapi\\.h|synchapi\\.h|tchar\\.h"
  "|(sys|linux|asm|mach|netinet|arpa|bits|android)/[^>]*")
string(JOIN "" system_header ${system_header})

file(GLOB_RECURSE dateien RELATIVE ${QUELLE}
  ${QUELLE}/src/*.cpp ${QUELLE}/src/*.h ${QUELLE}/include/*.h ${QUELLE}/include/*.hpp
  ${QUELLE}/quidel32/*.cpp ${QUELLE}/quidel32/*.h ${QUELLE}/tamsel/*.cpp ${QUELLE}/tamsel/*.h
  ${QUELLE}/tools/*.cpp ${QUELLE}/tools/*.h ${QUELLE}/tests/*.cpp ${QUELLE}/tests/*.h
  ${QUELLE}/examples/*.c ${QUELLE}/examples/*.cpp ${QUELLE}/fuzz/*.cpp ${QUELLE}/fuzz/*.h)
set(fehler "")
foreach(datei ${dateien})
  file(STRINGS ${QUELLE}/${datei} zeilen REGEX "^[ \t]*#[ \t]*include")
  foreach(zeile ${zeilen})
    if(NOT datei MATCHES "^(src/platform/(posix|win32)|tools/korvan/system)/" AND zeile MATCHES "<(${system_header})>")
      string(APPEND fehler "\n  ${datei}: ${zeile} (a system header outside the system layer)")
    endif()
    if(datei MATCHES "^(quidel32|tamsel)/" AND zeile MATCHES "\"([^\"]+)\"")
      set(ziel ${CMAKE_MATCH_1})
      get_filename_component(ordner ${datei} DIRECTORY)
      if(NOT ziel MATCHES "^${ordner}\\.h$" AND
         NOT (ordner STREQUAL "quidel32" AND ziel STREQUAL "../src/platform/ganzdatei.h"))
        string(APPEND fehler "\n  ${datei}: ${zeile} (the memory libraries include nothing of Korvan)")
      endif()
    endif()
  endforeach()
endforeach()
if(fehler)
  message(FATAL_ERROR "includes across the layers:${fehler}")
endif()
list(LENGTH dateien n)
message(STATUS "${n} files keep to the layers")
