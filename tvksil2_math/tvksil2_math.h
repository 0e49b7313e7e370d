// The switch-code library's declaration lives with the other driver contracts.
#pragma once
#include "drivers/tvksil2_math.h"
