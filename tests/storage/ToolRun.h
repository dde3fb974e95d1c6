#pragma once
// Runs the real tavikctl, as a user's shell would, for the tool's tests.
#include "StorageTestSupport.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tavik::test {

struct ToolRun {
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

inline ToolRun RunTavikctl(const std::string& arguments) {
    TempFolder scratch;
    const std::string command =
        std::string(TAVIKCTL_PATH) + " " + arguments + " 2>" + (scratch / "err");
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const Bytes err = ReadFile(scratch / "err");
    run.err.assign(err.begin(), err.end());
    return run;
}

} // namespace tavik::test
