// Shared by the resource targets: every callback the program's resource
// names is registered (as one that does nothing), so that documents derived
// from it get past the callback check; "cb" is there for small documents.
#pragma once

#include "toolkit/toolkit.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace fuzz {

inline int noAction(int, int, int, void*, int, int) { return 0; }
inline void noMenuAction(int, int, void*, int) {}

inline void registerProgramCallbacks(const std::string& resource)
{
    std::ifstream in(resource, std::ios::binary);
    const nlohmann::json doc = nlohmann::json::parse(in, nullptr, false);
    const auto walk = [](const auto& self, const nlohmann::json& j) -> void {
        if (j.is_object()) {
            if (auto it = j.find("callback"); it != j.end() && it->is_string()) {
                tk::registerCallback(it->get<std::string>(), noAction);
                tk::registerMenuCallback(it->get<std::string>(), noMenuAction);
            }
        }
        if (j.is_structured())
            for (const auto& child : j) self(self, child);
    };
    walk(walk, doc);
    tk::registerCallback("cb", noAction);
    tk::registerMenuCallback("cb", noMenuAction);
}

} // namespace fuzz
