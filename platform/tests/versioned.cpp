// A library carrying a version record, for the record reader's tests.
#include "platform/version_record.h"

#if !defined(_WIN32)
// On Windows versioned.rc holds the same record as a version resource.
KSIL_VERSION_RECORD("0409", "04b0", "2.7");
#endif

extern "C" int versioned_answer()
{
    return 42;
}
