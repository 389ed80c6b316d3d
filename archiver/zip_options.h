// Command line, entry names and levels of Corvane's zip.exe. Everything here
// is pure so that the unit test can pin the behaviour down without files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::zip {

// Exit codes follow Info-ZIP's numbering where the meaning matches, so the
// launcher and anyone reading a log can treat both programs alike.
namespace exitcode {
constexpr int ok = 0;
constexpr int badArchive = 3; // "Zip file structure invalid": the existing archive cannot be carried
constexpr int outOfMemory = 4;
constexpr int tooBig = 6;        // a size or count the game's zip reader cannot hold
constexpr int interrupted = 9;   // stopped by a signal; the old archive is untouched
constexpr int nothingToDo = 12;  // no files named
constexpr int cannotWrite = 15;  // the archive (or its temporary) cannot be created or written
constexpr int badArguments = 16; // unknown switch, unusable entry name, repeated name
constexpr int cannotRead = 18;   // a named file is missing or unreadable
} // namespace exitcode

struct Options {
    // Info-ZIP level 0..9; unset means the default, -6.
    std::optional<int> level;
    bool junkPaths = false;
    bool quiet = false;
    bool help = false;
    std::string archive;
    std::vector<std::string> files;
};

struct ParseResult {
    Options options;
    std::string error; // empty when the arguments are usable
};

// Switches come before the archive; the first other argument is the archive
// and everything after it is a file name, taken literally. "--" ends the
// switches early. Combined forms such as "-j9" and "-qj9" are accepted.
ParseResult parseArguments(const std::vector<std::string>& args);

// Info-ZIP level to libdeflate level. 1..5 are the same numbers; 6, the
// default, is libdeflate's 7, which makes real maps no larger than Info-ZIP's
// -6 does and is still faster; 7, 8 and 9 spread over libdeflate's slower
// near-optimal range (8, 10, 12) so that "-9" is libdeflate's strongest.
// 0 means store.
int libdeflateLevel(std::optional<int> zipLevel);

struct NameResult {
    std::string name;
    std::string error; // empty when name is usable
};

// The name stored in the archive for a path given on the command line:
// backslashes become slashes, a drive letter and leading slashes go, empty
// components collapse; "." and ".." are refused because the game would
// resolve them outside the package. With junkPaths only the file name stays.
NameResult entryName(std::string_view path, bool junkPaths);

// The "deflated NN%" figure as Info-ZIP rounds it.
int percentSaved(unsigned long long original, unsigned long long stored);

// True for a name that needs the UTF-8 flag: valid UTF-8 with a byte > 0x7f.
bool needsUtf8Flag(std::string_view name);

std::string usageText();

} // namespace corvane::zip
