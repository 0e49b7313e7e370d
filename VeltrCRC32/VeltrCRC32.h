// File integrity and version utilities: the CRC-32 of a file, the checksum a
// file carries after its marker (checked and stamped), a file's version and
// date as text, and the search for a file along the machine-wide search path.
// Plain functions over file names; they keep no state. The operations keep
// the names the program knows them by; what this module adds around them
// (limits, the list's owner) is in namespace crc.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Standard CRC-32 (reflected polynomial 0xEDB88320, the one of zlib's crc32).
std::uint32_t calcCRC32(std::span<const unsigned char> bytes);

// Position of the first occurrence of pattern that starts before
// bytes.size() - pattern.size(); a pattern ending exactly at the end is not found.
std::optional<std::size_t> findInBuffer(std::span<const unsigned char> bytes, std::string_view pattern);

namespace crc {
// Result of fileCRC32 when the file's buffer cannot be had.
inline constexpr std::uint32_t kNoMemory = 0xFFFFFFFFu;
} // namespace crc

// CRC-32 of the whole file; 0 when it cannot be read or is empty, crc::kNoMemory
// when memory runs out.
std::uint32_t fileCRC32(const std::string& path);

// Checks the checksum stored after the marker against the CRC-32 of the file
// with the stored digits read as '0'. 0 intact, 1 checksum differs, -1 file
// unreadable, empty, out of memory or without marker. fileCrc, when given,
// receives the CRC-32 of the file's bytes as they are.
int checkFileCRC32(const std::string& path, std::uint32_t& stored, std::uint32_t& computed,
                   std::uint32_t* fileCrc = nullptr);

// Writes the file's checksum after its marker. Only the eight digits and the
// zero byte after them change; the file keeps its length and is replaced whole
// or not at all. 0 stamped, -1 on any failure (nothing written).
int stampFileCRC32(const std::string& path);

namespace crc {
// Limits of fileVersionDate's texts, in characters.
inline constexpr std::size_t kVersionTextMax = 31;
inline constexpr std::size_t kFileNameTextMax = 127;
} // namespace crc

// Each text given is emptied, then filled: version from the file's version
// record ("n/a" when it has none), date "DD-MM-YYYY" and time "HH:MM" of its
// last write in local time (left empty when the file does not exist), and the
// file's name without its folder. Always 0.
int fileVersionDate(const std::string& path, std::string* version, std::string* date, std::string* time,
                    std::string* fileName);

// Result of a file search: the directories searched and which were tried.
struct PathList;
namespace crc {
struct PathListDeleter {
    void operator()(PathList* list) const;
};
using PathListPtr = std::unique_ptr<PathList, PathListDeleter>;
} // namespace crc

// Looks for fileName in startDir (when given and not empty), then along the
// machine-wide search path, in order. When found, fullPath holds its path and
// the list is returned, from which findNextOnPath goes on; otherwise none.
crc::PathListPtr findFileOnPath(std::string_view startDir, std::string_view fileName, std::string& fullPath);
// Tries the next directories of the list not tried yet: 1 found (fullPath set),
// 0 no further directory (fullPath empty).
int findNextOnPath(PathList* list, std::string_view fileName, std::string& fullPath);
// Releases the list (none allowed).
void freePathList(crc::PathListPtr& list);
