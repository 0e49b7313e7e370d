// The callback registries: the names a resource may give its controls, panels
// and menu items, registered by the program before it loads the resource.
#include "toolkit/core_state.h"

namespace tk {

namespace detail {

std::map<std::string, CtrlCallback, std::less<>>& ctrlCallbacks()
{
    static std::map<std::string, CtrlCallback, std::less<>> m;
    return m;
}

std::map<std::string, MenuCallback, std::less<>>& menuCallbacks()
{
    static std::map<std::string, MenuCallback, std::less<>> m;
    return m;
}

} // namespace detail

void registerCallback(std::string_view name, CtrlCallback cb)
{
    detail::ctrlCallbacks()[std::string(name)] = cb;
}

void registerMenuCallback(std::string_view name, MenuCallback cb)
{
    detail::menuCallbacks()[std::string(name)] = cb;
}

} // namespace tk
