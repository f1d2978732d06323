// Memory that runs out on demand: every allocation of at least FailFrom
// bytes fails. The suite's operator new (FailingNew.cpp) reads it.
#pragma once

#include <atomic>
#include <cstddef>

namespace kinpath::testing {

extern std::atomic<std::size_t> FailFrom;

}  // namespace kinpath::testing
