#include "zip_command.h"
#include "zip_os.h"
#include "zip_options.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace corvane::zip;
    const std::vector<std::string> args = os::arguments(argc, argv);
    const ParseResult parsed = parseArguments(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zip error: Invalid command arguments (%s)\n", parsed.error.c_str());
        return exitcode::badArguments;
    }
    return run(parsed.options);
}
