// Reading the version record section out of an ELF file. Every offset and size
// read from the file is checked against the file's length before use.
#include "platform/version_record.h"

#include <cstring>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kSection = ".ksil_version";
// A version record lives in a library or a program; larger files are not read.
constexpr std::size_t kMaxFileSize = 512u << 20;

std::optional<std::vector<char>> readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const auto size = static_cast<std::size_t>(in.tellg());
    if (size > kMaxFileSize)
        return std::nullopt;
    std::vector<char> data(size);
    in.seekg(0);
    if (!in.read(data.data(), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return data;
}

bool inside(const std::vector<char>& data, std::uint64_t offset, std::uint64_t size)
{
    return offset <= data.size() && size <= data.size() - offset;
}

template <class T>
bool load(const std::vector<char>& data, std::uint64_t offset, T& out)
{
    if (!inside(data, offset, sizeof(T)))
        return false;
    std::memcpy(&out, data.data() + offset, sizeof(T));
    return true;
}

// Contents of the named section, for one ELF class.
template <class Ehdr, class Shdr>
std::optional<std::string_view> findSection(const std::vector<char>& data, std::string_view name)
{
    Ehdr eh;
    if (!load(data, 0, eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shstrndx >= eh.e_shnum)
        return std::nullopt;
    Shdr names;
    if (!load(data, eh.e_shoff + std::uint64_t{eh.e_shstrndx} * sizeof(Shdr), names) ||
        !inside(data, names.sh_offset, names.sh_size))
        return std::nullopt;
    const std::string_view nameTable(data.data() + names.sh_offset, names.sh_size);

    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Shdr sh;
        if (!load(data, eh.e_shoff + std::uint64_t{i} * sizeof(Shdr), sh))
            return std::nullopt;
        if (sh.sh_name >= nameTable.size())
            continue;
        const std::string_view rest = nameTable.substr(sh.sh_name);
        if (rest.substr(0, rest.find('\0')) != name)
            continue;
        if (sh.sh_type == SHT_NOBITS || !inside(data, sh.sh_offset, sh.sh_size))
            return std::nullopt;
        return std::string_view(data.data() + sh.sh_offset, sh.sh_size);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> versionValue(const std::string& path, std::string_view key)
{
    const auto data = readWhole(path);
    if (!data || data->size() < EI_NIDENT || std::memcmp(data->data(), ELFMAG, SELFMAG) != 0)
        return std::nullopt;

    std::optional<std::string_view> record;
    switch ((*data)[EI_CLASS]) {
    case ELFCLASS64:
        record = findSection<Elf64_Ehdr, Elf64_Shdr>(*data, kSection);
        break;
    case ELFCLASS32:
        record = findSection<Elf32_Ehdr, Elf32_Shdr>(*data, kSection);
        break;
    default:
        return std::nullopt;
    }
    if (!record)
        return std::nullopt;

    std::string_view text = record->substr(0, record->find('\0'));
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=')
            return std::string(line.substr(key.size() + 1));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

} // namespace platform
