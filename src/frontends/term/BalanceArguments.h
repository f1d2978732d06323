// The arguments of `kinpath-cli --balance`.
#pragma once

#include <string>
#include <vector>

#include "authoring/balance/Balance.h"
#include "script/ScriptLines.h"

namespace kinpath::term {

struct BalanceArguments {
    std::string file = ScriptFileName;
    BalanceOptions options;
    BalanceFormat format = BalanceFormat::Text;
    std::string problem;  // why the arguments are wrong; empty when they are right
};

// Reads `[FILE] [--runs N] [--seed S] [--skip P] [--jobs N] [--format F]`
// (each option also as --option=VALUE) over the given defaults. Numbers are plain decimals: no
// sign, blank, hex or exponent where a whole number is wanted.
BalanceArguments ParseBalanceArguments(const std::vector<std::string>& args,
                                       const BalanceOptions& defaults);

}  // namespace kinpath::term
