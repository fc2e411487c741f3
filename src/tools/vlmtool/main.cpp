// vlmtool: the engine from the command line; see commands.h and `vlmtool --help`.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vlm::tools::run(args, stdout, stderr);
}
