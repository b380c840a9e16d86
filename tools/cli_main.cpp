// tremalu-cli: the batch companion of TREMALU.
#include "cli_commands.h"
#include "picture_modules.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    tremalu::TPictureModules modules;
    return tremalu::RunCli({argv + 1, argv + argc}, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
