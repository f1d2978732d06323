// Memory that runs out on demand: every allocation of at least FailFrom
// bytes, and less than FailBelow, fails. The suite's operator new
// (FailingNew.cpp) reads them.
#pragma once

#include <atomic>
#include <cstddef>

namespace kinpath::testing {

extern std::atomic<std::size_t> FailFrom;
extern std::atomic<std::size_t> FailBelow;

}  // namespace kinpath::testing
