// The discovery's and the selection dialog's state put back to program start,
// for a program started again in the same process (tests). Only the program's
// reset entry (p_ksil2/reset.h) calls these; the program itself binds the
// carrier driver once and keeps its dialog for the whole run.
#pragma once

namespace si {

// Forgets the dialog without touching the toolkit (a new toolkit run knows no
// panel of the old one), which is then built anew.
void forgetSelection();

// Forgets the carrier-driver binding, so that the next loadBaseDriver binds
// again (and can be made to fail by hiding the library).
void forgetBaseDriver();

} // namespace si
