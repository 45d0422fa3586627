// korvi-cli as a function of its command line, writing to the standard streams.
#pragma once

// 0 success, 1 the conversion failed, 2 the command line is not usable.
int RunKorviCli(int argc, const char* const* argv);
