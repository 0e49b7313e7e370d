// Internal: the factory tk::initHeadless uses to install the headless backend.
#pragma once

#include "toolkit/backend.h"

#include <memory>

namespace tk::headless {

std::unique_ptr<Backend> makeBackend();

} // namespace tk::headless
