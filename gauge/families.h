// The multimeter families' tables live with the other driver contracts.
#pragma once
#include "drivers/meters.h"
