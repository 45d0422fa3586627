// Running a program through the system's command interpreter, as a user at a prompt would.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

struct CommandResult {
    int exitCode;
    std::string out, err;
};

// Runs `command` with standard output and standard error captured through files in `folder`.
CommandResult RunCommand(const std::string& command, const std::string& folder);

// Quotes one argument for the command interpreter.
std::string Quoted(const std::string& argument);

// Sets a variable of this process's environment, which the commands it runs inherit.
void SetEnvironment(const std::string& name, const std::string& value);

// Sets variables of the environment for the object's lifetime.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::initializer_list<const char*> names, const std::string& value);
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

  private:
    std::vector<std::pair<std::string, std::string>> saved_;  // name, old value
};
