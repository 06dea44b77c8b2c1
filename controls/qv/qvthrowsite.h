#pragma once
// Where an exception was thrown: every throw on a thread notes the thrown object and the code address
// that threw it, so a handler that catches it later can say where it came from.
#include <exception>

namespace qv {

// The return address of the throw that raised e on this thread; null when unknown (thrown on another
// thread, rethrown through an exception_ptr, or too many throws ago).
const void *ThrowAddress(const std::exception &e);

} // namespace qv
