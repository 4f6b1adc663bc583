#pragma once

#include "common/tempdir.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace korvex::testing {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs a program to its end with the given arguments, no input, and collects
// what it wrote and how it exited.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    TempDir scratch;
    std::string command = ShellQuote(program);
    for (const auto& arg : args) {
        command += " " + ShellQuote(arg);
    }
    command += " </dev/null >" + ShellQuote((scratch / "out").string()) + " 2>" +
               ShellQuote((scratch / "err").string());
    ProgramResult result;
    int status = std::system(command.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadText(scratch / "out");
    result.err = ReadText(scratch / "err");
    return result;
}

} // namespace korvex::testing
