#include "tests/support/command.h"

#include <cstdlib>

#include "tests/support/files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

int ExitCodeOf(int status) {
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace

std::string Quoted(const std::string& argument) {
    return "\"" + argument + "\"";
}

CommandResult RunCommand(const std::string& command, const std::string& folder) {
    const std::string out = folder + "stdout.txt", err = folder + "stderr.txt";
    std::string line = command + " > " + Quoted(out) + " 2> " + Quoted(err);
#ifdef _WIN32
    line = "\"" + line + "\"";  // cmd /c strips one pair of quotes around the whole line
#endif
    const int status = std::system(line.c_str());
    const Bytes outBytes = ReadBytes(out), errBytes = ReadBytes(err);
    return CommandResult{ExitCodeOf(status), std::string(outBytes.begin(), outBytes.end()),
                         std::string(errBytes.begin(), errBytes.end())};
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

ScopedEnvironment::ScopedEnvironment(std::initializer_list<const char*> names, const std::string& value) {
    for (const char* name : names) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? old : "");
        SetEnvironment(name, value);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) SetEnvironment(name, value);
}
