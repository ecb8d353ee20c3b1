// testhilfe.cpp - the fixtures' library; everything is in testhilfe.h.
#include "testhilfe.h"
