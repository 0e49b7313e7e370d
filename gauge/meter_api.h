// The multimeter families' entry-point types live with the other driver contracts.
#pragma once
#include "drivers/meters.h"
