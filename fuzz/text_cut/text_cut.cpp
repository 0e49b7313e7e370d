// The text cutters: a cut is a prefix within both limits that never splits a
// UTF-8 letter, a one-line message is that cut flattened, and a formatted field
// is always terminated inside its buffer.
#include "fuzz/fuzz_util.h"
#include "platform/utf8.h"
#include "si/discovery.h"

#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t maxBytes = data[0];
    const std::size_t maxChars = data[1] == 0xFF ? platform::kNoLimit : data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string_view cut = platform::utf8Cut(text, maxBytes, maxChars);
    fuzz::check(cut.data() == text.data() && cut.size() <= text.size(), "a cut is a prefix");
    fuzz::check(cut.size() <= maxBytes, "a cut keeps to the byte limit");
    if (fuzz::validUtf8(text)) {
        fuzz::check(fuzz::validUtf8(cut), "a cut does not split a letter");
        std::size_t letters = 0;
        for (unsigned char c : cut) letters += (c & 0xC0) != 0x80;
        fuzz::check(letters <= maxChars, "a cut keeps to the letter limit");
        // Nothing more fits: the next letter would break a limit.
        if (cut.size() < text.size() && letters < maxChars) {
            std::size_t next = cut.size() + 1;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
            fuzz::check(next > maxBytes, "a cut keeps every letter that fits");
        }
    }

    // A one-line message: the byte cut with every control character replaced,
    // "..." after it exactly when something was cut.
    const std::string_view byBytes = platform::utf8Cut(text, maxBytes);
    const std::string line = platform::oneLine(text, maxBytes);
    const bool marked = byBytes.size() < text.size();
    fuzz::check(line.size() == byBytes.size() + (marked ? 3 : 0), "a one-line text is the cut, marked when cut");
    for (std::size_t i = 0; i < byBytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        fuzz::check(c >= 0x20 && c != 0x7F, "a one-line text holds no control character");
        fuzz::check(line[i] == byBytes[i] || line[i] == '?', "a one-line text keeps every other byte");
    }

    // A field of 1 to 256 bytes, guarded on both sides.
    const std::size_t fieldSize = maxBytes + 1;
    std::vector<char> buffer(fieldSize + 16, '\x5A');
    const std::string terminated(text);
    si::formatInto(std::span<char>(buffer.data() + 8, fieldSize), "%s|%s", terminated.c_str(), terminated.c_str());
    for (std::size_t i = 0; i < 8; ++i)
        fuzz::check(buffer[i] == '\x5A' && buffer[8 + fieldSize + i] == '\x5A', "the field is not overrun");
    const char* field = buffer.data() + 8;
    fuzz::check(std::memchr(field, 0, fieldSize) != nullptr, "the field is terminated");
    const std::string full = terminated.substr(0, terminated.find('\0'));
    const std::string whole = full + "|" + full;
    const std::string_view got(field);
    fuzz::check(whole.compare(0, got.size(), got) == 0, "the field holds the start of the text");
    if (fuzz::validUtf8(whole))
        fuzz::check(fuzz::validUtf8(got), "the field does not split a letter");
    return 0;
}
