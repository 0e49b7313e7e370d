// The program's reset entry.
#include "p_ksil2/reset.h"

#include "gauge/reset.h"
#include "si/reset.h"

void resetProgramState()
{
    resetGlobals();
    msgpForget();
    resetProtocolState();
    si::forgetSelection();
    si::forgetBaseDriver();
    gauge::unbindAll();
}
