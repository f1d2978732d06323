#include "frontends/term/BalanceArguments.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace kinpath::term {

namespace {

constexpr unsigned MaxJobs = 1024;

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// Sets the option from its value; the range it takes, when the value is wrong.
const char* SetOption(std::string_view option, std::string_view value, BalanceArguments& parsed) {
    BalanceOptions& options = parsed.options;
    if (option == "--format") {
        constexpr std::pair<std::string_view, BalanceFormat> formats[] = {
            {"text", BalanceFormat::Text},
            {"csv", BalanceFormat::Csv},
            {"json", BalanceFormat::Json},
            {"html", BalanceFormat::Html}};
        for (const auto& [name, format] : formats) {
            if (value == name) {
                parsed.format = format;
                return nullptr;
            }
        }
        return " (text, csv, json or html)";
    }
    if (option == "--runs") {
        const bool good =
            ParseNumber(value, options.runs) && options.runs > 0 && options.runs <= MaxBalanceRuns;
        return good ? nullptr : " (a whole number from 1 to 1000000000000)";
    }
    if (option == "--seed") {
        return ParseNumber(value, options.seed) ? nullptr : " (a whole number from 0)";
    }
    if (option == "--jobs") {
        const bool good =
            ParseNumber(value, options.jobs) && options.jobs > 0 && options.jobs <= MaxJobs;
        return good ? nullptr : " (a whole number from 1 to 1024)";
    }
    double p = 0;
    if (!ParseNumber(value, p) || !(p >= 0.0 && p <= 1.0)) return " (a probability from 0 to 1)";
    options.skipProbability = p == 0.0 ? 0.0 : p;  // -0 is 0
    return nullptr;
}

}  // namespace

BalanceArguments ParseBalanceArguments(const std::vector<std::string>& args,
                                       const BalanceOptions& defaults) {
    BalanceArguments parsed;
    parsed.options = defaults;
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size() && parsed.problem.empty(); ++i) {
        const std::string_view arg = args[i];
        std::string_view option = arg;
        std::string_view value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (option == "--runs" || option == "--seed" || option == "--skip" || option == "--jobs" ||
            option == "--format") {
            if (!inlineValue && i + 1 >= args.size()) {
                parsed.problem = std::string(option) + " needs a value";
            } else if (const char* range =
                           SetOption(option, inlineValue ? value : args[++i], parsed)) {
                parsed.problem = std::string(option) + " does not take \"" +
                                 std::string(inlineValue ? value : args[i]) + "\"" + range;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            parsed.problem = "unknown option " + std::string(arg);
        } else if (haveFile) {
            parsed.problem = "more than one script file given";
        } else {
            parsed.file = arg;
            haveFile = true;
        }
    }
    return parsed;
}

}  // namespace kinpath::term
