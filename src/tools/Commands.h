#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavik::tools {

// A failure the user can act on: printed as one line on stderr, exit status 1.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Wrong arguments: printed with the command's usage, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after the command name, split into positional arguments and
// options. Options are declared by the command: flags take no value, valued
// options take the next word ("-o FILE") or "=value".
class Arguments {
public:
    Arguments(const std::vector<std::string>& words, const std::vector<std::string>& flags,
              const std::vector<std::string>& valued);

    // The positional arguments; throws UsageError unless there are count.
    const std::vector<std::string>& Positional(std::size_t count) const;
    // All positional arguments, however many (commands taking a list).
    const std::vector<std::string>& AllPositional() const { return FPositional; }
    bool Flag(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    // A non-negative integer argument; throws UsageError naming what.
    static int Index(const std::string& text, const std::string& what);

private:
    std::vector<std::string> FPositional;
    std::map<std::string, std::string> FOptions;
};

// One tavikctl command. run returns the exit status.
struct Command {
    std::string name;
    std::string usage;   // the arguments, e.g. "FOLDER [--json]"
    std::string summary; // one line for the help text
    std::vector<std::string> flags;
    std::vector<std::string> valued;
    int (*run)(const Arguments& args);
};

// Commands register themselves from any source file of the tool with one line:
//   static const tavik::tools::CommandRegistration reg{{"name", "ARGS", "what", {}, {}, Run}};
struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

// Every registered command, sorted by name.
std::vector<Command> Commands();

// A folder name ending in "/"; throws CommandError when it is no folder.
std::string ExistingFolder(const std::string& name);

} // namespace tavik::tools
