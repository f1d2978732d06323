// Any bytes as a script, simulated and reported in every format, each format
// read back.
#include "BalanceFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kinpath::fuzz::RunBalanceInput(data, size);
    return 0;
}
