// Any bytes published as a script, a first line as the page's title.
#include "PublishFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunPublishInput(data, size);
    return 0;
}
