# windows.cmake - the Windows DLLs: their names, their export tables by
# ordinal (the .def files beside this file), and Korvan's imports of the
# memory libraries by ordinal.  Included by the top-level CMakeLists.txt
# after the library targets exist.
set(KW_QUELLE ${CMAKE_CURRENT_LIST_DIR})
set(KW_BAU ${CMAKE_BINARY_DIR}/windows)
file(MAKE_DIRECTORY ${KW_BAU})

# The .def files are written for 32-bit Windows; on 64-bit Windows there are
# no stdcall decorations, so they are dropped.  With ohne_namen every export
# is marked NONAME: an import library made from that imports by ordinal.
function(korvan_def_schreiben ein aus ohne_namen)
  file(READ ${ein} text)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+( +@)" "\\1" text "${text}")
  endif()
  if(ohne_namen)
    string(REGEX REPLACE "(@[0-9]+)\n" "\\1 NONAME\n" text "${text}")
  endif()
  file(WRITE ${aus}.neu "${text}")
  file(COPY_FILE ${aus}.neu ${aus} ONLY_IF_DIFFERENT)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ein})
endfunction()

# An import library that imports every function of the DLL by ordinal.
function(korvan_ordinal_import name dll)
  set(def ${KW_BAU}/${dll}-ordinal.def)
  set(lib ${KW_BAU}/lib${name}_ordinal.a)
  korvan_def_schreiben(${KW_QUELLE}/${dll}.def ${def} ON)
  set(kill_at)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at --kill-at)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll --output-lib ${lib} ${kill_at}
    DEPENDS ${def}
    COMMENT "Import library of ${dll}.dll by ordinal"
    VERBATIM)
  add_custom_target(${name}_ordinal_lib DEPENDS ${lib})
  add_library(${name}_ordinal INTERFACE)
  target_link_libraries(${name}_ordinal INTERFACE ${lib})
  add_dependencies(${name}_ordinal ${name}_ordinal_lib ${name})
endfunction()

# --- Quidel32.dll and Tamsel.dll: complete export tables --------------------
korvan_def_schreiben(${KW_QUELLE}/Quidel32.def ${KW_BAU}/Quidel32.def OFF)
korvan_def_schreiben(${KW_QUELLE}/Tamsel.def ${KW_BAU}/Tamsel.def OFF)
target_sources(quidel32 PRIVATE ${KW_BAU}/Quidel32.def)
target_sources(tamsel PRIVATE ${KW_BAU}/Tamsel.def)
# The exported names carry no stdcall decoration; the import libraries do.
target_link_options(quidel32 PRIVATE -Wl,--kill-at)
set_target_properties(quidel32 PROPERTIES OUTPUT_NAME Quidel32 PREFIX "")
set_target_properties(tamsel PROPERTIES OUTPUT_NAME Tamsel PREFIX "")

# --- Korvan.dll ---------------------------------------------------------------
# Korvan.def lists the whole export table; a function missing from the code
# fails the link.
korvan_def_schreiben(${KW_QUELLE}/Korvan.def ${KW_BAU}/Korvan.def OFF)
target_sources(korvan PRIVATE ${KW_BAU}/Korvan.def)
set_target_properties(korvan PROPERTIES OUTPUT_NAME Korvan PREFIX "")

korvan_ordinal_import(quidel32 Quidel32)
korvan_ordinal_import(tamsel Tamsel)
target_link_libraries(korvan PRIVATE quidel32_ordinal tamsel_ordinal)
# The system libraries behind the platform layer; the memory libraries need
# only the kernel's.
target_link_libraries(korvan PRIVATE shlwapi user32 advapi32)
