// Pane texts through the HTML export and the print logic.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "FuzzDrivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = base + "/kinpath-fuzz-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunPaneInput(data, size);
    return 0;
}
