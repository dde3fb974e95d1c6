#include "Commands.h"

#include <algorithm>
#include <filesystem>

namespace tavik::tools {
namespace {

// A function-local table, so that registrations from other files' static
// objects never meet it unconstructed.
std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

CommandRegistration::CommandRegistration(Command command) {
    Table().push_back(std::move(command));
}

std::vector<Command> Commands() {
    std::vector<Command> sorted = Table();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    return sorted;
}

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<std::string>& flags,
                     const std::vector<std::string>& valued) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            FPositional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (Contains(flags, name) && equals == std::string::npos) {
            FOptions[name] = "";
        } else if (Contains(valued, name)) {
            if (equals != std::string::npos)
                FOptions[name] = word.substr(equals + 1);
            else if (i + 1 < words.size())
                FOptions[name] = words[++i];
            else
                throw UsageError(name + " needs a value");
        } else {
            throw UsageError("unknown option " + word);
        }
    }
}

const std::vector<std::string>& Arguments::Positional(std::size_t count) const {
    if (FPositional.size() != count)
        throw UsageError("expected " + std::to_string(count) + " argument(s), got " +
                         std::to_string(FPositional.size()));
    return FPositional;
}

bool Arguments::Flag(const std::string& name) const {
    return FOptions.count(name) != 0;
}

std::optional<std::string> Arguments::Value(const std::string& name) const {
    const auto it = FOptions.find(name);
    if (it == FOptions.end())
        return std::nullopt;
    return it->second;
}

int Arguments::Index(const std::string& text, const std::string& what) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw UsageError(what + " must be a number from 0, not '" + text + "'");
    return std::stoi(text);
}

std::string ExistingFolder(const std::string& name) {
    std::error_code error;
    if (!std::filesystem::is_directory(name, error))
        throw CommandError("no such folder: " + name);
    return name.back() == '/' ? name : name + "/";
}

} // namespace tavik::tools
