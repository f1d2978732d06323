#include "frontends/term/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <memory>
#include <set>
#include <string_view>
#include <utility>

#include "frontends/term/TerminalView.h"
#include "text/TextCodec.h"

namespace kinpath::term {

namespace {

constexpr unsigned MaxJobs = 1024;

// Sets an option's value into the command line: nullptr when it is taken,
// else what the option takes ("a whole number from 1 to 1024"). A flag gets
// the empty value.
using Setter = const char* (*)(CommandLine& line, std::string_view value);

template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
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

const char* SetRuns(CommandLine& line, std::string_view value) {
    std::uint64_t runs = 0;
    if (!ParseWhole(value, runs) || runs == 0 || runs > MaxBalanceRuns)
        return "a whole number from 1 to 1000000000000";
    line.balance.runs = runs;
    return nullptr;
}

const char* SetSeed(CommandLine& line, std::string_view value) {
    return ParseWhole(value, line.balance.seed) ? nullptr : "a whole number from 0";
}

const char* SetJobs(CommandLine& line, std::string_view value) {
    unsigned jobs = 0;
    if (!ParseWhole(value, jobs) || jobs == 0 || jobs > MaxJobs)
        return "a whole number from 1 to 1024";
    line.balance.jobs = jobs;
    return nullptr;
}

const char* SetSkip(CommandLine& line, std::string_view value) {
    double p = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, p);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range) ||
        !InUnitRange(value)) {
        return "a probability from 0 to 1";
    }
    // Too small for a double is 0; -0 is 0.
    line.balance.skipProbability = ec != std::errc() || p == 0.0 ? 0.0 : p;
    return nullptr;
}

const char* SetFormat(CommandLine& line, std::string_view value) {
    constexpr std::pair<std::string_view, BalanceFormat> Formats[] = {
        {"text", BalanceFormat::Text},
        {"csv", BalanceFormat::Csv},
        {"json", BalanceFormat::Json},
        {"html", BalanceFormat::Html}};
    for (const auto& [name, format] : Formats) {
        if (value == name) {
            line.format = format;
            return nullptr;
        }
    }
    return "text, csv, json or html";
}

const char* SetOutput(CommandLine& line, std::string_view value) {
    if (value.empty()) return "a file name";
    line.output = value;
    return nullptr;
}

const char* SetTitle(CommandLine& line, std::string_view value) {
    if (value.empty()) return "a text of one character or more";
    line.title = value;
    return nullptr;
}

const char* SetAll(CommandLine& line, std::string_view) {
    line.all = true;
    return nullptr;
}

// For the script the refusal is the whole problem.
const char* SetScript(CommandLine& line, std::string_view value) {
    if (value.empty()) return "the script's file name is empty";
    line.script = value;
    return nullptr;
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
    "question reads the next line (y or yes for Yes, anything else for No).\n";

struct Declared {
    CLI::Option* option;
    Setter set;
    Command command;  // of a command's own flag; Questionnaire for the others
};

// The declarations' bookkeeping around CLI11: each command is a flag that
// excludes the others, each option of a command needs it.
class Declarations {
public:
    explicit Declarations(CLI::App& app) : app_(app) {}

    // A command, shown in the usage with the name of its script.
    CLI::Option* AddCommand(const char* name, const char* script, const char* help,
                            Command command) {
        CLI::Option* flag = app_.add_flag(name)->description(help)->type_name(script);
        for (const Declared& other : declared) {
            if (other.command != Command::Questionnaire) flag->excludes(other.option);
        }
        declared.push_back({flag, nullptr, command});
        return flag;
    }
    // An option of a command that takes a value, shown as "name placeholder".
    void AddValue(const char* name, const char* placeholder, const char* help, CLI::Option* command,
                  Setter set) {
        declared.push_back(
            {app_.add_option(name)->description(help)->type_name(placeholder)->needs(command),
             set,
             {}});
    }
    // An option of a command that takes no value.
    void AddFlag(const char* name, const char* help, CLI::Option* command, Setter set) {
        declared.push_back({app_.add_flag(name)->description(help)->needs(command), set, {}});
    }
    void AddScript(const char* name) { declared.push_back({app_.add_option(name), SetScript, {}}); }

    std::vector<Declared> declared;

private:
    CLI::App& app_;
};

// Every command and option of kinpath-cli. A new option is one line here: its
// name, the placeholder of its value, its help, the command it belongs to and
// the function that takes its value.
void Declare(Declarations& d) {
    d.AddScript("FILE");
    CLI::Option* check =
        d.AddCommand("--check", "FILE", "check a script (default script.txt) and list its problems",
                     Command::Check);
    d.AddFlag("--all", "every one (default: the first 100 of each kind, then a count)", check,
              SetAll);
    CLI::Option* balance =
        d.AddCommand("--balance", "FILE",
                     "answer a script at random many times and report how often each race, "
                     "class and pair is recommended, and why",
                     Command::Balance);
    d.AddValue("--runs", "N", "number of random runs (default 10000)", balance, SetRuns);
    d.AddValue("--seed", "S", "seed of the random choices (default 1)", balance, SetSeed);
    d.AddValue("--skip", "P", "probability that a question is skipped (default 0)", balance,
               SetSkip);
    d.AddValue("--jobs", "N", "threads that share the runs (default: one per core)", balance,
               SetJobs);
    d.AddValue("--format", "F", "text, csv, json or html, a page with charts (default text)",
               balance, SetFormat);
    CLI::Option* publish =
        d.AddCommand("--publish", "SCRIPT",
                     "write a script as one web page that runs the questionnaire in any browser "
                     "(default: script.txt to script.html)",
                     Command::Publish);
    d.AddValue("-o", "FILE", "the page to write (default: the script's name, .html)", publish,
               SetOutput);
    d.AddValue("--title", "TEXT", "the page's title (default: Kinpath Race and Class chooser)",
               publish, SetTitle);
}

// Words of text in lines of at most 79 characters, the first line going on
// from column `from`, the others starting at column `indent`.
std::string Wrapped(std::string_view text, std::size_t from, std::size_t indent) {
    std::string out;
    std::size_t column = from;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        if (column > indent && column + 1 + end > 79) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (column > indent) {
            out += ' ';
            ++column;
        }
        out += text.substr(0, end);
        column += end;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return out + '\n';
}

// The help as kinpath-cli has always shown it, made from the declarations:
// the usage lines (one for each command, with its options), what the program
// does, then each command with its options under it.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        return Usage(*app) + "\n" + app->get_description() + "\nOptions:\n" + Options(*app);
    }

    static std::string Usage(const CLI::App& app) {
        std::string usage = "Usage: " + std::string(ProgramName) + " [" + Script(app) + "]\n";
        for (const CLI::Option* command : Commands(app)) {
            usage += "       " + std::string(ProgramName) + " " + command->get_name() + " [" +
                     command->get_type_name() + "]";
            for (const CLI::Option* option : OptionsOf(app, command))
                usage += " [" + Shown(*option) + "]";
            usage += '\n';
        }
        return usage;
    }

private:
    static bool IsCommand(const CLI::App& app, const CLI::Option* option) {
        return !option->get_positional() && option->get_needs().empty() &&
               option != app.get_help_ptr();
    }
    static std::vector<const CLI::Option*> Commands(const CLI::App& app) {
        std::vector<const CLI::Option*> commands;
        for (const CLI::Option* option : app.get_options()) {
            if (IsCommand(app, option)) commands.push_back(option);
        }
        return commands;
    }
    static std::vector<const CLI::Option*> OptionsOf(const CLI::App& app,
                                                     const CLI::Option* command) {
        std::vector<const CLI::Option*> options;
        for (const CLI::Option* option : app.get_options()) {
            const auto& needs = option->get_needs();
            if (needs.count(const_cast<CLI::Option*>(command)) != 0) options.push_back(option);
        }
        return options;
    }
    static std::string Script(const CLI::App& app) {
        for (const CLI::Option* option : app.get_options()) {
            if (option->get_positional()) return option->get_name();
        }
        return "FILE";
    }
    static std::string Shown(const CLI::Option& option) {
        const std::string value =
            option.get_items_expected_max() == 0 ? "" : option.get_type_name();
        return option.get_name() + (value.empty() ? "" : " " + value);
    }
    static std::string Options(const CLI::App& app) {
        const std::vector<const CLI::Option*> commands = Commands(app);
        std::size_t width = 4;  // "--help"
        std::size_t optionWidth = 0;
        for (const CLI::Option* command : commands) {
            width = std::max(width, command->get_name().size());
            for (const CLI::Option* option : OptionsOf(app, command))
                optionWidth = std::max(optionWidth, Shown(*option).size());
        }
        std::string out;
        const auto entry = [&](const std::string& name, std::size_t indent, std::size_t column,
                               const std::string& help) {
            out +=
                std::string(indent, ' ') + name + std::string(column - indent - name.size(), ' ');
            out += Wrapped(help, column, column);
        };
        for (const CLI::Option* command : commands) {
            entry(command->get_name(), 2, width + 4, command->get_description());
            for (const CLI::Option* option : OptionsOf(app, command))
                entry(Shown(*option), 4, optionWidth + 6, option->get_description());
        }
        const CLI::Option* help = app.get_help_ptr();
        entry(help->get_name(), 2, width + 4, help->get_description());
        return out;
    }
};

// The app and its declarations, made afresh for each use.
struct Parser {
    CLI::App app{About, ProgramName};
    Declarations declarations{app};

    Parser() {
        app.set_help_flag("--help,-h", "show this help");
        app.formatter(std::make_shared<HelpFormatter>());
        // Unknown options and further scripts are told apart below; a repeated
        // option is refused below rather than by CLI11's own words.
        app.allow_extras();
        app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        Declare(declarations);
    }

    const Declared* Find(const CLI::Option* option) const {
        for (const Declared& d : declarations.declared) {
            if (d.option == option) return &d;
        }
        return nullptr;
    }
    // The option an argument names, when it names one.
    const CLI::Option* Named(const std::string& arg) const {
        const std::string name = arg.substr(0, arg.starts_with("--") ? arg.find('=') : 2);
        for (const Declared& d : declarations.declared) {
            if (!d.option->get_positional() && d.option->check_name(name)) return d.option;
        }
        return nullptr;
    }
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

// The first option given twice or with a value it does not take, in the order
// of the arguments.
std::string Values(const Parser& parser, CommandLine& line) {
    std::set<const CLI::Option*> seen;
    for (const CLI::Option* option : parser.app.parse_order()) {
        if (!seen.insert(option).second) continue;
        const Declared* declared = parser.Find(option);
        if (declared == nullptr) continue;
        const std::vector<std::string>& values = option->results();
        if (!option->get_positional() && values.size() > 1)
            return option->get_name() + " given twice";
        const bool flag = option->get_items_expected_max() == 0;
        if (flag && values[0] != "true") return option->get_name() + " takes no value";
        if (declared->set == nullptr) continue;
        if (const char* takes = declared->set(line, flag ? std::string_view() : values[0])) {
            if (option->get_positional()) return takes;
            return option->get_name() + " does not take \"" + TerminalText(values[0]) + "\" (" +
                   takes + ")";
        }
    }
    return "";
}

// "--runs=" is an empty value, as "--runs ''" is (CLI11 would take the next
// argument for it); the arguments go to CLI11 last first.
std::vector<std::string> ForParsing(const Parser& parser, const std::vector<std::string>& args) {
    std::vector<std::string> reversed;
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
        const CLI::Option* option = parser.Named(*arg);
        if (arg->starts_with("--") && arg->ends_with('=') && arg->find('=') == arg->size() - 1 &&
            option != nullptr && option->get_items_expected_max() != 0) {
            reversed.emplace_back();
            reversed.push_back(arg->substr(0, arg->size() - 1));
        } else {
            reversed.push_back(*arg);
        }
    }
    return reversed;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const BalanceOptions& balanceDefaults) {
    CommandLine line;
    line.balance = balanceDefaults;
    Parser parser;
    std::vector<std::string> reversed = ForParsing(parser, args);
    try {
        parser.app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.command = Command::Help;
        return line;
    } catch (const CLI::ArgumentMismatch& e) {
        // Only the last argument can lack its value: every other takes the next.
        const CLI::Option* option = args.empty() ? nullptr : parser.Named(args.back());
        line.problem =
            option != nullptr ? option->get_name() + " needs a value" : TerminalText(e.what());
    } catch (const CLI::ParseError& e) {
        line.problem = TerminalText(e.what());
    }
    // The command given, for the problem's prefix too; none when several are.
    int commands = 0;
    for (const Declared& d : parser.declarations.declared) {
        if (d.command != Command::Questionnaire && d.option->count() > 0) {
            line.command = d.command;
            ++commands;
        }
    }
    if (commands > 1) line.command = Command::Questionnaire;
    if (line.problem.empty()) line.problem = Leftovers(parser.app.remaining());
    if (line.problem.empty()) line.problem = Values(parser, line);
    return line;
}

std::string ProblemPrefix(Command command) {
    const Parser parser;
    for (const Declared& d : parser.declarations.declared) {
        if (d.command == command && command != Command::Questionnaire)
            return std::string(ProgramName) + " " + d.option->get_name();
    }
    return ProgramName;
}

std::string HelpText() { return Parser().app.help(); }

std::string UsageText() { return HelpFormatter::Usage(Parser().app); }

}  // namespace kinpath::term
