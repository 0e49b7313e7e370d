// A library carrying a version record, for the record reader's tests.
#include "platform/version_record.h"

KSIL_VERSION_RECORD("0409", "04b0", "2.7");

extern "C" int versioned_answer()
{
    return 42;
}
