// The display deferred for the length of a scope (see tk::setDisplayDeferred):
// set on entry, put back as it was however the scope is left.
#pragma once

#include "toolkit/toolkit.h"

namespace tk {

class DeferredDisplay {
public:
    DeferredDisplay() : was_(displayDeferred()) { setDisplayDeferred(true); }
    ~DeferredDisplay() { setDisplayDeferred(was_); }
    DeferredDisplay(const DeferredDisplay&) = delete;
    DeferredDisplay& operator=(const DeferredDisplay&) = delete;

private:
    bool was_;
};

} // namespace tk
