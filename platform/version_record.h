// A file's version record: on Windows its version resource; on Linux the
// resource's counterpart for our shared libraries, an ELF section
// ".ksil_version" of "key=value" lines with the keys a version resource is
// queried with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Value of key in the file's version record, e.g. "\\VarFileInfo\\Translation"
// gives "0409 04b0" and "\\StringFileInfo\\040904b0\\FileVersion" gives "1.0";
// nullopt when the file cannot be read, has no record, or the record no such key.
std::optional<std::string> versionValue(const std::string& path, std::string_view key);

} // namespace platform

// Embeds a record with one translation (ELF files); place it in one source
// file of a library. The array stays internal, so it adds no exported symbol.
#define KSIL_VERSION_RECORD(lang, codepage, version)                                                         \
    [[gnu::used, gnu::section(".ksil_version")]] static const char ksil_version_record[] =                   \
        "\\VarFileInfo\\Translation=" lang " " codepage "\n"                                                  \
        "\\StringFileInfo\\" lang codepage "\\FileVersion=" version "\n"
