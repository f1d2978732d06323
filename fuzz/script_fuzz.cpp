// Any bytes as script.txt, loaded and driven through the dialog to the results
// and the HTML export.
#include "FuzzDrivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kinpath::fuzz::EnterPrivateFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunScriptInput(data, size);
    return 0;
}
