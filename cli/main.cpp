#include "cli/run.h"

int main(int argc, char** argv) {
    return RunKorviCli(argc, argv);
}
