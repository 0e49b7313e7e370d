// The verification norm (normR), kept with the module's shape so that the
// charts and the history tool judge by the same rule as the program.
#pragma once

#include "drivers/mezzanine.h"
