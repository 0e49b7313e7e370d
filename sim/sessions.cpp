// One table of sessions for every stand-in, so that a carrier session opened
// by tvbase_32 answers viGetAttribute of the stand-in VISA.
#include "sim/core.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace sim::core {
namespace {

std::map<ViSession, Session> sessions;
std::map<std::string, ViSession> locks;   // upper-cased address -> holder
ViSession nextHandle = 1;

} // namespace

ViSession open(Session s)
{
    const ViSession vi = nextHandle++;
    sessions.emplace(vi, std::move(s));
    return vi;
}

Session* findAny(ViSession vi)
{
    auto it = sessions.find(vi);
    return it == sessions.end() ? nullptr : &it->second;
}

Session* find(ViSession vi, Kind kind)
{
    Session* s = findAny(vi);
    return (s && s->kind == kind) ? s : nullptr;
}

bool close(ViSession vi)
{
    auto it = sessions.find(vi);
    if (it == sessions.end()) return false;
    if (it->second.kind == Kind::ResourceManager) {
        for (auto c = sessions.begin(); c != sessions.end();) {
            if (c->second.parent == vi) {
                std::erase_if(locks, [&](const auto& l) { return l.second == c->first; });
                c = sessions.erase(c);
            } else {
                ++c;
            }
        }
        it = sessions.find(vi);
    }
    std::erase_if(locks, [&](const auto& l) { return l.second == vi; });
    sessions.erase(it);
    return true;
}

ViSession recordOwner(const tvksil2_device_data* record)
{
    if (!record) return 0;
    // The driver keeps the owning session in its private bytes; the pointer
    // must also be that session's own record, so a copy is not accepted.
    ViSession owner = 0;
    std::memcpy(&owner, record->driverPart1 + 4, sizeof owner);
    Session* s = find(owner, Kind::Module);
    return (s && s->record.get() == record) ? owner : 0;
}

void clearSessions()
{
    sessions.clear();
    locks.clear();
    nextHandle = 1;
}

ViSession lockHolder(std::string_view address)
{
    auto it = locks.find(addressKey(address));
    return it == locks.end() ? 0 : it->second;
}

void setLockHolder(std::string_view address, ViSession vi)
{
    if (vi)
        locks[addressKey(address)] = vi;
    else
        locks.erase(addressKey(address));
}

void copyText(char* buffer, std::size_t size, std::string_view text)
{
    if (!buffer || size == 0) return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

std::string addressKey(std::string_view address)
{
    // ASCII only, whatever the process locale: a key must not change with it.
    std::string key(address);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

bool sameAddress(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && addressKey(a) == addressKey(b);
}

} // namespace sim::core

namespace sim {

std::vector<OpenSession> openSessions()
{
    static constexpr const char* kKindNames[] = {"resource manager", "find list", "resource", "carrier", "module",
                                                 "meter"};
    std::vector<OpenSession> out;
    for (const auto& [vi, s] : core::sessions)
        out.push_back({vi, std::string(kKindNames[static_cast<int>(s.kind)]) +
                               (s.address.empty() ? "" : " " + s.address) +
                               (s.position ? " position " + std::to_string(s.position) : "")});
    return out;
}

} // namespace sim
