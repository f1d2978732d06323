// Numbers as text, written one way everywhere a report shows them: whole
// numbers in plain digits, decimals with a fixed number of places, and any
// other fraction in as few digits as read back as the same number.
#pragma once

#include <cstdint>
#include <string>

namespace kinpath {

// A decimal number exactly: scaled / 10^places ("39.17" is {3917, 2}).
struct Decimal {
    std::int64_t scaled = 0;
    int places = 0;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// value rounded to places decimals (0 to 9) as printf rounds it, so that the
// digits shown are the ones "%.*f" gives; -0.00 is 0.00.
Decimal ToDecimal(double value, int places);
// The double nearest the decimal.
double DecimalValue(Decimal decimal);

std::string NumberText(std::int64_t value);
std::string NumberText(std::uint64_t value);
std::string NumberText(Decimal value);  // "39.17", "-0.50", "16"
// With thousands separators, as sizes are told to people: "312,345".
std::string GroupedNumberText(std::uint64_t value);
// The fewest significant digits that read back as value, and as "%g" writes
// them where that reads back ("0.1", "20", "1e-07", "0.123456789").
std::string NumberText(double value);

}  // namespace kinpath
