// tavikctl: the catalogue of a Tavik data folder from the command line.
#include "Commands.h"

#include "storage/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>

namespace {

void PrintHelp(std::ostream& out) {
    out << "usage: tavikctl COMMAND ARGS...\n\ncommands:\n";
    for (const auto& command : tavik::tools::Commands())
        out << "  tavikctl " << command.name << " " << command.usage << "\n      "
            << command.summary << "\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintHelp(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 2 : 0;
    }
    const auto commands = tavik::tools::Commands();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [&](const auto& c) { return c.name == words[0]; });
    if (it == commands.end()) {
        std::cerr << "tavikctl: unknown command '" << words[0] << "'\n";
        PrintHelp(std::cerr);
        return 2;
    }
    words.erase(words.begin());
    try {
        const tavik::tools::Arguments args(words, it->flags, it->valued);
        return it->run(args);
    } catch (const tavik::tools::UsageError& e) {
        std::cerr << "tavikctl " << it->name << ": " << e.what() << "\nusage: tavikctl " << it->name
                  << " " << it->usage << "\n";
        return 2;
    } catch (const tavik::tools::CommandError& e) {
        std::cerr << "tavikctl " << it->name << ": " << e.what() << "\n";
    } catch (const tavik::Exception& e) {
        std::cerr << "tavikctl " << it->name << ": " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "tavikctl " << it->name << ": " << e.what() << "\n";
    }
    return 1;
}
