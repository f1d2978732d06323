// Pane texts through the HTML export and the print logic.
#include "FuzzDrivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kinpath::fuzz::EnterPrivateFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunPaneInput(data, size);
    return 0;
}
