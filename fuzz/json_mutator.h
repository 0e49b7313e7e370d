// A mutator for targets whose input is a JSON document: byte mutations rarely
// keep a document well formed, so most of them never get past the parser.
// When the input parses, one of its values is changed the way a careless or
// hostile author would (a number at a bound or past it, a long or multi-line
// text, an entry repeated or dropped, a field added or removed) and the
// document is written back; otherwise, and now and then anyway, libFuzzer's
// own byte mutation applies.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace fuzz {

struct JsonVocabulary {
    std::vector<std::string> keys;  // field names worth adding
    std::vector<std::string> texts; // values of text fields worth trying (kinds, types, names)
};

namespace detail {

inline void collect(nlohmann::json& j, std::vector<nlohmann::json*>& out)
{
    out.push_back(&j);
    if (j.is_structured())
        for (auto& child : j)
            collect(child, out);
}

inline nlohmann::json interestingNumber(std::minstd_rand& rng)
{
    static const std::array<nlohmann::json, 24> values = {
        0, 1, -1, 2, 7, 255, 4096, 4097, 8192, 10000, 10001, 16384, -16384, 16385, 65535, 0xFFFFFF, 0x1000000,
        2147483647, -2147483647 - 1, 4294967297ULL, 1e300, -1e300, 0.5, 1e10};
    if (rng() % 4 == 0)
        return static_cast<int>(rng() % 2000) - 1000;
    return values[rng() % values.size()];
}

inline std::string interestingText(std::minstd_rand& rng, const JsonVocabulary& vocab)
{
    switch (rng() % 6) {
    case 0: return "";
    case 1: return std::string(1 + rng() % 3000, 'x');
    case 2: {
        std::string s;
        for (std::size_t i = 0, n = 1 + rng() % 400; i < n; ++i)
            s += "Калибровка ";
        return s;
    }
    case 3: return "line one\nline two\r\n\tthird & __x && \"q\"";
    case 4: return "__" + std::string(1, static_cast<char>('A' + rng() % 26)) + "__";
    default: return vocab.texts.empty() ? "x" : vocab.texts[rng() % vocab.texts.size()];
    }
}

inline void mutateValue(nlohmann::json& j, std::minstd_rand& rng, const JsonVocabulary& vocab)
{
    if (j.is_number()) {
        j = interestingNumber(rng);
    } else if (j.is_string()) {
        j = interestingText(rng, vocab);
    } else if (j.is_boolean()) {
        j = !j.get<bool>();
    } else if (j.is_array()) {
        if (!j.empty() && rng() % 3 != 0) {
            const std::size_t at = rng() % j.size();
            if (rng() % 2 == 0) {
                const nlohmann::json copy = j[at];
                for (std::size_t k = 0, n = 1 + rng() % (rng() % 8 == 0 ? 200 : 4); k < n; ++k)
                    j.push_back(copy);
            } else {
                j.erase(at);
            }
        } else {
            j.push_back(rng() % 2 == 0 ? nlohmann::json(interestingNumber(rng))
                                       : nlohmann::json(interestingText(rng, vocab)));
        }
    } else if (j.is_object()) {
        if (!j.empty() && rng() % 3 == 0) {
            auto it = j.begin();
            std::advance(it, static_cast<long>(rng() % j.size()));
            j.erase(it);
        } else if (!vocab.keys.empty()) {
            const std::string& key = vocab.keys[rng() % vocab.keys.size()];
            switch (rng() % 4) {
            case 0: j[key] = interestingNumber(rng); break;
            case 1: j[key] = interestingText(rng, vocab); break;
            case 2: j[key] = rng() % 2 == 0; break;
            default: j[key] = nlohmann::json::array({interestingText(rng, vocab)}); break;
            }
        }
    } else {
        j = interestingNumber(rng);
    }
}

} // namespace detail

inline std::size_t mutateJson(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                              const JsonVocabulary& vocab)
{
    std::minstd_rand rng(seed | 1u);
    if (rng() % 8 != 0) {
        nlohmann::json doc = nlohmann::json::parse(data, data + size, nullptr, false);
        if (!doc.is_discarded()) {
            std::vector<nlohmann::json*> nodes;
            detail::collect(doc, nodes);
            for (std::size_t i = 0, n = 1 + rng() % 3; i < n; ++i) {
                detail::mutateValue(*nodes[rng() % nodes.size()], rng, vocab);
                nodes.clear();
                detail::collect(doc, nodes); // the last change may have moved them
            }
            const std::string out = doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            if (out.size() <= maxSize) {
                std::memcpy(data, out.data(), out.size());
                return out.size();
            }
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

} // namespace fuzz
