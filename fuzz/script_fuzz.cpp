// Any bytes as script.txt, loaded and driven through the dialog to the results
// and the HTML export.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "FuzzDrivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One private folder for the whole run: script.txt and Kinpath.html live
    // there. Memory-backed when possible, so the export's syncs cost nothing.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = base + "/kinpath-fuzz-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunScriptInput(data, size);
    return 0;
}
