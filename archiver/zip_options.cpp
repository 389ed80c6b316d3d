#include "zip_options.h"

#include <array>

namespace corvane::zip {

namespace {

bool isSwitch(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// Returns an error message, or empty when every letter was understood.
std::string applySwitch(const std::string& arg, Options& options)
{
    if (arg == "--help") {
        options.help = true;
        return {};
    }
    if (arg.rfind("--", 0) == 0)
        return "long option '" + arg.substr(2) + "' not supported";
    for (std::size_t i = 1; i < arg.size(); ++i) {
        const char c = arg[i];
        if (c >= '0' && c <= '9')
            options.level = c - '0';
        else if (c == 'j')
            options.junkPaths = true;
        else if (c == 'q')
            options.quiet = true;
        else if (c == 'h')
            options.help = true;
        else
            return std::string("short option '") + c + "' not supported";
    }
    return {};
}

} // namespace

ParseResult parseArguments(const std::vector<std::string>& args)
{
    ParseResult result;
    Options& options = result.options;
    if (args.empty()) {
        options.help = true;
        return result;
    }
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "-") {
            result.error = "reading names from standard input is not supported";
            return result;
        }
        if (!isSwitch(arg))
            break;
        result.error = applySwitch(arg, options);
        if (!result.error.empty())
            return result;
    }
    if (i == args.size()) {
        if (!options.help)
            result.error = "no archive named";
        return result;
    }
    options.archive = args[i++];
    options.files.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return result;
}

int libdeflateLevel(std::optional<int> zipLevel)
{
    static constexpr std::array<int, 10> map{0, 1, 2, 3, 4, 5, 7, 8, 10, 12};
    constexpr int defaultLevel = 6;
    const int level = zipLevel && *zipLevel >= 0 && *zipLevel <= 9 ? *zipLevel : defaultLevel;
    return map[static_cast<std::size_t>(level)];
}

NameResult entryName(std::string_view path, bool junkPaths)
{
    std::string p(path);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    std::string_view rest(p);
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (rest.size() >= 2 && isLetter(rest[0]) && rest[1] == ':')
        rest.remove_prefix(2);

    // A leading "./" is how a name that begins with "-" is kept from being
    // read as an option; like Info-ZIP, it is not part of the entry name.
    while (rest.size() > 2 && rest.substr(0, 2) == "./")
        rest.remove_prefix(2);

    std::vector<std::string_view> parts;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty())
            parts.push_back(part);
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    if (junkPaths && !parts.empty())
        parts.erase(parts.begin(), parts.end() - 1);

    NameResult result;
    if (parts.empty()) {
        result.error = "no file name in '" + std::string(path) + "'";
        return result;
    }
    for (const std::string_view part : parts) {
        if (part == "." || part == "..") {
            result.error =
                "'" + std::string(part) + "' is not allowed in an entry name: " + std::string(path);
            return result;
        }
        if (!result.name.empty())
            result.name += '/';
        result.name += part;
    }
    return result;
}

int percentSaved(unsigned long long original, unsigned long long stored)
{
    if (original == 0 || stored >= original)
        return 0;
    // Rounded to nearest; sizes stay below 2^32, so this cannot overflow.
    return static_cast<int>(((original - stored) * 200 + original) / (2 * original));
}

bool needsUtf8Flag(std::string_view name)
{
    bool wide = false;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        std::size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (extra > 0 && i + extra >= name.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80)
                return false;
        wide = wide || extra > 0;
        i += extra + 1;
    }
    return wide;
}

std::string usageText()
{
    return "Corvane zip.exe: writes Quake 3 packages (zip archives, stored or deflated).\n"
           "Usage: zip.exe [-0..-9] [-j] [-q] archive file...\n"
           "  -0       store only\n"
           "  -1..-9   compress faster .. better (default -6; -9 is the strongest)\n"
           "  -j       store file names only, without their folders\n"
           "  -q       quiet: no \"adding:\" lines\n"
           "An existing archive is updated: entries of the same name are replaced in\n"
           "place, others are kept as they are, new ones are appended.\n";
}

} // namespace corvane::zip
