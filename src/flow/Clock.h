// Time for the bar timer's sleep: the system's steady clock in the windows,
// a clock of their own in the tests.
#pragma once

#include <cstdint>

namespace kinpath {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed point; never goes back.
    virtual std::int64_t NowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t NowMs() const override;
};

}  // namespace kinpath
