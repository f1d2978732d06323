#include "frontends/term/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "frontends/term/TerminalView.h"
#include "text/TextCodec.h"

namespace kinpath::term {

namespace {

constexpr unsigned MaxJobs = 1024;

// Reads an option's value into the command line: empty when it is taken, else
// what the option takes ("a whole number from 1 to 1024").
using Reader = std::string (*)(CommandLine& line, const std::string& value);

// A plain decimal number from low to high, read exactly: no sign, blank, base
// prefix or exponent.
template <typename Number>
std::string ReadWhole(std::string_view text, Number low, Number high, Number& value) {
    const char* end = text.data() + text.size();
    Number read = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, read);
    if (ec != std::errc() || ptr != end || read < low || read > high) {
        return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    }
    value = read;
    return "";
}

// Whether a decimal number lies from 0 to 1, judged on its digits rather than
// on the double it rounds to ("1.0000000000000000000001" does not).
bool InUnitRange(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    std::string digits;
    long long exponent = 0;  // the value is digits times ten to this
    std::size_t i = 0;
    for (bool point = false;
         i < text.size() && (text[i] == '.' || (text[i] >= '0' && text[i] <= '9')); ++i) {
        if (text[i] == '.') {
            point = true;
        } else if (!digits.empty() || text[i] != '0') {
            digits += text[i];
            exponent -= point ? 1 : 0;
        } else if (point) {
            --exponent;  // a leading zero after the point
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        const bool down = text[++i] == '-';
        long long written = 0;
        for (i += text[i] == '-' || text[i] == '+'; i < text.size(); ++i) {
            written = std::min(written * 10 + (text[i] - '0'), 1'000'000'000'000LL);
        }
        exponent += down ? -written : written;
    }
    if (digits.empty()) return i == text.size() && i > 0;  // zero; not "inf" or "nan"
    if (negative) return false;
    while (digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    // The leading digit's place: below 0 is less than 1.
    const long long place = static_cast<long long>(digits.size()) - 1 + exponent;
    return place < 0 || (place == 0 && digits == "1");
}

std::string ReadRuns(CommandLine& line, const std::string& value) {
    return ReadWhole(value, std::uint64_t{1}, MaxBalanceRuns, line.balance.runs);
}

std::string ReadSeed(CommandLine& line, const std::string& value) {
    return ReadWhole(value, std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max(),
                     line.balance.seed);
}

std::string ReadJobs(CommandLine& line, const std::string& value) {
    return ReadWhole(value, 1u, MaxJobs, line.balance.jobs);
}

std::string ReadSkip(CommandLine& line, const std::string& value) {
    double p = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, p);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range) ||
        !InUnitRange(value)) {
        return "a probability from 0 to 1";
    }
    // Too small for a double is 0; -0 is 0.
    line.balance.skipProbability = ec != std::errc() || p == 0.0 ? 0.0 : p;
    return "";
}

std::string ReadFormat(CommandLine& line, const std::string& value) {
    constexpr std::pair<std::string_view, BalanceFormat> Formats[] = {
        {"text", BalanceFormat::Text},
        {"csv", BalanceFormat::Csv},
        {"json", BalanceFormat::Json},
        {"html", BalanceFormat::Html}};
    for (const auto& [name, format] : Formats) {
        if (value == name) {
            line.format = format;
            return "";
        }
    }
    return "text, csv, json or html";
}

// "-" would be standard output, where the page does not go: its report does.
std::string ReadOutput(CommandLine& line, const std::string& value) {
    if (value == "-") return "a file name; the page is not written to standard output";
    if (value.empty()) return "a file name";
    line.output = value;
    return "";
}

std::string ReadTitle(CommandLine& line, const std::string& value) {
    if (value.empty()) return "a text of one character or more";
    line.title = value;
    return "";
}

// For the script the refusal is the whole problem.
std::string ReadScript(CommandLine& line, const std::string& value) {
    if (value.empty()) return "the script's file name is empty";
    line.script = value;
    return "";
}

// What the program does without a command; the help shows it under the usage.
constexpr const char* About =
    "Asks the questions of script.txt in the current folder (or of FILE) and\n"
    "recommends a race and a class. Commands, one per line on standard input:\n"
    "  1-8        choose that answer and go on\n"
    "  ok         confirm the chosen answer\n"
    "  s, skip    skip the question\n"
    "  b, back    take back the last answer (or skip) and ask that question again\n"
    "  h, html    save the results as Kinpath.html and print its path\n"
    "  q, quit    leave (also x, exit, or the end of the input)\n"
    "Message boxes appear on standard error as \"<caption>: <text>\"; a yes/no\n"
    "question reads the next line (y or yes for Yes, anything else for No).";

// CLI11's help, with one usage line for each command (a group of the help)
// and its options, shown before what the program does; an option shows the
// placeholder of its value and its help alone.
class HelpFormatter : public CLI::Formatter {
public:
    HelpFormatter() { column_width(22); }

    std::string make_usage(const CLI::App* app, std::string name) const override {
        std::string usage = "Usage: " + name + " [FILE]\n";
        for (const std::string& group : app->get_groups()) {
            const auto options = app->get_options(
                [&](const CLI::Option* option) { return option->get_group() == group; });
            if (group.empty() || group == app->get_help_ptr()->get_group()) continue;
            usage += "       " + name;
            for (const CLI::Option* option : options) {
                const std::string shown =
                    option->get_name() +
                    (option->get_option_text().empty() ? "" : " " + option->get_option_text());
                usage += " " + (option == options.front() ? shown : "[" + shown + "]");
            }
            usage += '\n';
        }
        return usage;
    }
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + "\n" + make_description(app) + "\n" + make_groups(app, mode);
    }
    std::string make_group(std::string group, bool positional,
                           std::vector<const CLI::Option*> options) const override {
        std::string out = group + ":\n";
        for (const CLI::Option* option : options) out += make_option(option, positional);
        return out;
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_option_text().empty() ? "" : " " + option->get_option_text();
    }
};

// The app, its declarations and what they read, made afresh for each use.
class Parser {
public:
    explicit Parser(CommandLine& line) : line_(line) {
        app.formatter(std::make_shared<HelpFormatter>());
        // Unknown options and further scripts are told apart by Leftovers.
        app.allow_extras();
        Declare();
        Policy(app.set_help_flag("--help,-h", "show this help"))->group("Other options");
    }

    // A problem met while reading a value, in our words rather than CLI11's.
    std::string refusal;
    std::vector<std::pair<CLI::Option*, Command>> commands;
    CLI::App app{About, ProgramName};

private:
    // Every command and option of kinpath-cli. A new option is one line here:
    // its name, the placeholder of its value, its help, the command it belongs
    // to and the function that reads its value.
    void Declare() {
        AddValue("FILE", "", "", nullptr, ReadScript);
        CLI::Option* check =
            AddCommand("--check", "FILE", "Checking a script",
                       "check a script (default script.txt) and list its problems", Command::Check);
        AddFlag("--all", line_.all,
                "every one (default: the first 100 of each kind,\nthen a count)", check);
        CLI::Option* balance = AddCommand("--balance", "FILE", "Balancing a script",
                                          "answer a script at random many times and report how\n"
                                          "often each race, class and pair is recommended, and why",
                                          Command::Balance);
        AddValue("--runs", "N", "number of random runs (default 10000)", balance, ReadRuns);
        AddValue("--seed", "S", "seed of the random choices (default 1)", balance, ReadSeed);
        AddValue("--skip", "P", "probability that a question is skipped (default 0)", balance,
                 ReadSkip);
        AddValue("--jobs", "N", "threads that share the runs (default: one per core)", balance,
                 ReadJobs);
        AddValue("--format", "F", "text, csv, json or html, a page with charts\n(default text)",
                 balance, ReadFormat);
        CLI::Option* publish = AddCommand("--publish", "SCRIPT", "Publishing a script",
                                          "write a script as one web page that runs the\n"
                                          "questionnaire in any browser (default: script.txt to\n"
                                          "script.html)",
                                          Command::Publish);
        AddValue("-o", "FILE", "the page to write (default: the script's name, .html)", publish,
                 ReadOutput);
        AddValue(
            "--title", "TEXT",
            "the page's title (default: its game's title, else\nKinpath Race and Class chooser)",
            publish, ReadTitle);
    }

    // A flag is given once at most, as any option is.
    static CLI::Option* Policy(CLI::Option* flag) {
        return flag->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    }
    // A command: a flag that heads its group in the help and excludes the others.
    CLI::Option* AddCommand(const char* name, const char* script, const char* heading,
                            const char* help, Command command) {
        CLI::Option* flag = Policy(app.add_flag(name)->description(help));
        flag->option_text(std::string("[") + script + "]")->group(heading);
        for (const auto& [other, ignored] : commands) flag->excludes(other);
        commands.emplace_back(flag, command);
        return flag;
    }
    // An option of a command that takes no value, setting a field.
    void AddFlag(const char* name, bool& field, const char* help, CLI::Option* command) {
        Policy(app.add_flag(name, field, help))->group(command->get_group())->needs(command);
    }
    // An option of a command that takes a value, shown as "name placeholder";
    // without a command, the script.
    void AddValue(const char* name, const char* placeholder, const char* help, CLI::Option* command,
                  Reader read) {
        CLI::Option* option = app.add_option(name)->description(help)->group("");
        if (command != nullptr) {
            option->option_text(placeholder)->group(command->get_group())->needs(command);
        }
        option->check(CLI::Validator(
            [this, option, read](std::string& value) {
                std::string takes = read(line_, value);
                if (takes.empty()) return takes;
                refusal = option->get_positional() ? takes
                                                   : option->get_name() + " does not take \"" +
                                                         TerminalText(value) + "\" (" + takes + ")";
                return takes;
            },
            placeholder));
    }

    CommandLine& line_;
};

std::string Quoted(std::string_view text) { return "'" + TerminalText(text) + "'"; }

// What the arguments left over say: an unknown option, or a second script.
std::string Leftovers(const std::vector<std::string>& rest) {
    bool positional = false;
    for (const std::string& arg : rest) {
        if (arg == "--") {
            positional = true;
        } else if (!positional && arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + Quoted(arg);
        }
    }
    return rest.empty() || (rest.size() == 1 && rest[0] == "--")
               ? ""
               : "more than one script file given";
}

// CLI11 reads "--runs=" as "--runs" and the next argument, "-o=x" as "=x" and
// "--check=" as "--check": an option's "=" form is split here, so that
// "--runs=" is an empty value and "-o=x" is "-o x", and a flag given a value
// is refused. The arguments go to CLI11 last first.
std::vector<std::string> ForParsing(const CLI::App& app, const std::vector<std::string>& args,
                                    std::string& problem) {
    std::vector<std::string> out;
    bool value = false;  // the argument is the value of the one before
    for (auto arg = args.begin(); arg != args.end(); ++arg) {
        if (*arg == "--") {
            out.insert(out.end(), arg, args.end());
            break;
        }
        const std::size_t equals = arg->find('=');
        const CLI::Option* option = value || !arg->starts_with('-')
                                        ? nullptr
                                        : app.get_option_no_throw(arg->substr(0, equals));
        const bool flag = option != nullptr && option->get_items_expected_max() == 0;
        value = option != nullptr && !flag && equals == arg->npos;
        if (option == nullptr || equals == arg->npos) {
            out.push_back(*arg);
        } else if (flag) {
            if (problem.empty()) problem = option->get_name() + " takes no value";
        } else {
            out.push_back(arg->substr(0, equals));
            out.push_back(arg->substr(equals + 1));
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const BalanceOptions& balanceDefaults) {
    CommandLine line;
    line.balance = balanceDefaults;
    Parser parser(line);
    std::vector<std::string> reversed = ForParsing(parser.app, args, line.problem);
    // Only the last argument can lack its value.
    const std::string last = reversed.empty() ? "" : reversed.front();
    std::string problem;
    try {
        parser.app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
    } catch (const CLI::ValidationError&) {
        problem = parser.refusal;
    } catch (const CLI::ArgumentMismatch&) {
        // Given twice, or the last argument lacks its value.
        for (const CLI::Option* option : parser.app.parse_order()) {
            if (problem.empty() && option->count() > 1)
                problem = option->get_name() + " given twice";
        }
        const CLI::Option* option = parser.app.get_option_no_throw(last);
        if (problem.empty()) problem = (option ? option->get_name() : last) + " needs a value";
    } catch (const CLI::ParseError& e) {
        problem = TerminalText(e.what());
    }
    // --help given once asks for the help, whatever else is wrong.
    if (parser.app.get_help_ptr()->count() == 1) {
        line.command = Command::Help;
        line.problem.clear();
        return line;
    }
    // The command given, for the problem's prefix too; none when several are.
    int commands = 0;
    for (const auto& [option, command] : parser.commands) {
        if (option->count() > 0) {
            line.command = command;
            ++commands;
        }
    }
    if (commands > 1) line.command = Command::Questionnaire;
    if (line.problem.empty()) line.problem = problem;
    if (line.problem.empty()) line.problem = Leftovers(parser.app.remaining());
    return line;
}

std::string ProblemPrefix(Command command) {
    CommandLine line;
    const Parser parser(line);
    for (const auto& [option, declared] : parser.commands) {
        if (declared == command) return std::string(ProgramName) + " " + option->get_name();
    }
    return ProgramName;
}

std::string HelpText() {
    CommandLine line;
    return Parser(line).app.help();
}

std::string UsageText() {
    CommandLine line;
    const Parser parser(line);
    return HelpFormatter().make_usage(&parser.app, ProgramName);
}

}  // namespace kinpath::term
