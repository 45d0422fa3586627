// Running a program through the system's command interpreter, as a user at a prompt would.
#pragma once

#include <string>

struct CommandResult {
    int exitCode;
    std::string out, err;
};

// Runs `command` with standard output and standard error captured through files in `folder`.
CommandResult RunCommand(const std::string& command, const std::string& folder);

// Quotes one argument for the command interpreter.
std::string Quoted(const std::string& argument);

// Sets a variable of this process's environment, which the commands it runs inherit.
void SetEnvironment(const char* name, const std::string& value);
