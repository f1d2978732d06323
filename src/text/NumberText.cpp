#include "text/NumberText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kinpath {

namespace {

constexpr std::int64_t PowerOfTen(int places) {
    std::int64_t power = 1;
    for (int i = 0; i < places; ++i) power *= 10;
    return power;
}

}  // namespace

Decimal ToDecimal(double value, int places) {
    // printf rounds the exact binary value, which scaling by 10^places first
    // would round once more: its digits are taken as they are.
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%.*f", places, value);
    Decimal decimal{0, places};
    if (length <= 0 || length >= int(sizeof text)) return decimal;
    const bool negative = text[0] == '-';
    constexpr std::int64_t Most = INT64_MAX / 10 - 1;  // beyond it the value stands still
    for (const char* c = text + (negative ? 1 : 0); *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9' && decimal.scaled < Most)
            decimal.scaled = decimal.scaled * 10 + (*c - '0');
    }
    if (negative) decimal.scaled = -decimal.scaled;
    return decimal;
}

double DecimalValue(Decimal decimal) {
    return static_cast<double>(decimal.scaled) / static_cast<double>(PowerOfTen(decimal.places));
}

std::string NumberText(std::int64_t value) { return std::to_string(value); }
std::string NumberText(std::uint64_t value) { return std::to_string(value); }

std::string NumberText(Decimal value) {
    const std::int64_t power = PowerOfTen(value.places);
    const std::uint64_t magnitude = value.scaled < 0 ? 0 - static_cast<std::uint64_t>(value.scaled)
                                                     : static_cast<std::uint64_t>(value.scaled);
    std::string text;
    if (value.scaled < 0) text += '-';
    text += std::to_string(magnitude / power);
    if (value.places > 0) {
        const std::string fraction = std::to_string(magnitude % power);
        text += '.';
        text.append(std::size_t(value.places) - fraction.size(), '0');
        text += fraction;
    }
    return text;
}

std::string NumberText(double value) {
    char text[32];
    int digits = 1;
    for (; digits < 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    // At least printf's six, so that whatever "%g" gives back exactly reads as
    // "%g" writes it ("20", not "2e+01").
    std::snprintf(text, sizeof text, "%.*g", std::max(digits, 6), value);
    return text;
}

std::string GroupedNumberText(std::uint64_t value) {
    const std::string digits = NumberText(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace kinpath
