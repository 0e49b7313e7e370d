// The switch-code library file, as start-up and ABOUT check it.
#pragma once

#include <string>

// Looks for the library file in the working folder, then along the machine-wide
// search path. When found, checks its embedded checksum (a mismatch is
// announced in a warning pop-up) and, unless the check could not be made (file
// unreadable, no checksum marker), shows its name, version, date and CRC-32 in
// ABOUT's CERT_MSG. Nothing is shown when the file is not found.
void checkMathLibrary();
// The CRC-32 of the library file as the last check read it ("" when no check was made).
const std::string& mathLibraryCrc();
