# Fails unless the file DOKU holds the whole text of the file BEISPIEL.
file(READ ${DOKU} doku)
file(READ ${BEISPIEL} beispiel)
string(FIND "${doku}" "${beispiel}" stelle)
if(stelle EQUAL -1)
  message(FATAL_ERROR "${DOKU} does not quote ${BEISPIEL} as it stands")
endif()
