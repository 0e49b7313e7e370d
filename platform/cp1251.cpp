// Conversions between UTF-8 and Windows-1251 through the C library's iconv.
#include "platform/cp1251.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// One conversion descriptor per direction, opened on first use and kept:
// protocol lines are converted one by one, and opening costs more than converting.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // skipInvalid: how many input bytes an unconvertible character takes at `in`.
    template <class Skip>
    std::string convert(std::string_view text, Skip skipInvalid)
    {
        std::string out;
        if (!valid()) {
            out.assign(text.size(), '?');
            return out;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // fresh shift state
        out.resize(text.size() * 2 + 4); // UTF-8 of Windows-1251 text is at most 3 bytes a character
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        std::size_t used = 0;
        while (inLeft > 0) {
            if (out.size() - used < 8)
                out.resize(out.size() * 2);
            char* dst = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t r = iconv(cd_, &in, &inLeft, &dst, &outLeft);
            used = out.size() - outLeft;
            if (r != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (cut at the end): one '?' for the character, go on after it.
            out[used++] = '?';
            const std::size_t skip = std::min(inLeft, skipInvalid(in, inLeft));
            in += skip;
            inLeft -= skip;
        }
        out.resize(used);
        return out;
    }

private:
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts at `s` (1 for a stray byte).
std::size_t utf8Length(const char* s, std::size_t left)
{
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t n = std::min(left, std::size_t{lead < 0xC0 ? 1u : lead < 0xE0 ? 2u : lead < 0xF0 ? 3u : 4u});
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return i;
    return n;
}

} // namespace

std::string toCp1251(std::string_view utf8)
{
    static Converter encoder("CP1251", "UTF-8");
    return encoder.convert(utf8, utf8Length);
}

std::string fromCp1251(std::string_view cp1251)
{
    static Converter decoder("UTF-8", "CP1251");
    return decoder.convert(cp1251, [](const char*, std::size_t) -> std::size_t { return 1; });
}

} // namespace platform
