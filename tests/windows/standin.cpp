// Stands in for start.exe and explorer.exe: adds a line with its own file
// name and its arguments to the file CORVANE_STANDIN_LOG names.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    const char *log = std::getenv("CORVANE_STANDIN_LOG");
    if (!log)
        return 2;
    std::string line = argv[0];
    const auto cut = line.find_last_of("\\/");
    if (cut != std::string::npos)
        line.erase(0, cut + 1);
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    FILE *file = std::fopen(log, "ab");
    if (!file)
        return 2;
    std::fprintf(file, "%s\n", line.c_str());
    return std::fclose(file) == 0 ? 0 : 2;
}
