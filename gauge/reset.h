// The meter layer's bindings put back to program start, for a program started
// again in the same process and for tests that swap a family's library between
// runs. The program itself binds once and keeps its bindings.
#pragma once

namespace gauge {
// Forgets every binding (the libraries stay loaded): the next loadLibs binds again.
void unbindAll();
} // namespace gauge
