#include "qvthrowsite.h"

#include <cstdlib>
#include <cxxabi.h>
#include <dlfcn.h>
#include <typeinfo>

namespace {

struct ThrowSite {
    const void *object;
    const void *address;
};

// The last throws of this thread; enough for the throws a handler's own work makes meanwhile.
constexpr unsigned kSites = 32;
thread_local ThrowSite sites[kSites];
thread_local unsigned nextSite = 0;

} // namespace

// Stands in front of the runtime's throw (and whatever else stands there already) to note the site.
namespace __cxxabiv1 {
extern "C" void __cxa_throw(void *object, std::type_info *type, void (*destroy)(void *))
{
    using Throw = void (*)(void *, std::type_info *, void (*)(void *));
    static const Throw next = reinterpret_cast<Throw>(dlsym(RTLD_NEXT, "__cxa_throw"));
    if (!next)
        std::abort();
    sites[nextSite++ % kSites] = {object, __builtin_return_address(0)};
    next(object, type, destroy);
    __builtin_unreachable();
}
} // namespace __cxxabiv1

namespace qv {

const void *ThrowAddress(const std::exception &e)
{
    const void *object = dynamic_cast<const void *>(&e);
    for (unsigned i = 1; i <= kSites && i <= nextSite; ++i) {
        const ThrowSite &s = sites[(nextSite - i) % kSites];
        if (s.object == object)
            return s.address;
    }
    return nullptr;
}

} // namespace qv
