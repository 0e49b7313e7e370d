// The module driver's declarations live with the other driver contracts.
#pragma once
#include "drivers/tvksil2.h"
