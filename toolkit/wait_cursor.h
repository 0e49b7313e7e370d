// The wait cursor for the length of a scope: set as asked on entry, put back
// as it was however the scope is left.
#pragma once

#include "toolkit/toolkit.h"

namespace tk {

class WaitCursor {
public:
    explicit WaitCursor(bool on = true) : was_(waitCursor()) { setWaitCursor(on); }
    ~WaitCursor() { setWaitCursor(was_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool was_;
};

} // namespace tk
