// Memory advice: on systems that page memory in small pages, first touching a
// fresh buffer of megabytes costs a page fault for every few kilobytes, which
// takes longer than reading a script of that size.
#pragma once

#include <cstddef>

namespace kinpath {

// Asks the system to back the whole large pages inside [data, data + size)
// with large pages, before they are first touched. Only a hint: it changes
// nothing but speed, and nothing at all where the system cannot take it.
void AdviseLargePages(void* data, std::size_t size);

}  // namespace kinpath
