// Unit test of zip.exe's pure parts: the command line, entry names, levels,
// and the limits of the game's zip reader.
#include "zip_deflate.h"
#include "zip_limits.h"
#include "zip_options.h"
#include "zip_plan.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace corvane::zip;

namespace {

int g_failures = 0;

void expect(bool ok, const std::string& what)
{
    if (!ok) {
        ++g_failures;
        std::printf("FAIL: %s\n", what.c_str());
    }
}

template <typename A, typename B>
void expectEqual(const A& actual, const B& wanted, const std::string& what)
{
    expect(actual == wanted, what);
}

ParseResult parse(std::vector<std::string> args) { return parseArguments(args); }

void testCommandLine()
{
    // The two command lines the launcher writes.
    ParseResult r = parse({"-9", "/out/q3dm99.pk3", "levelshots/q3dm99.jpg", "maps/q3dm99.bsp", "q3dm99.txt"});
    expect(r.error.empty(), "pk3 line parses");
    expectEqual(r.options.level.value_or(-1), 9, "pk3 line level");
    expect(!r.options.junkPaths, "pk3 line keeps paths");
    expectEqual(r.options.archive, std::string("/out/q3dm99.pk3"), "pk3 line archive");
    expectEqual(r.options.files.size(), std::size_t{3}, "pk3 line files");

    r = parse({"-j", "-9", "/out/q3dm99.zip", "/out/q3dm99.pk3", "/src/q3dm99.txt"});
    expect(r.error.empty() && r.options.junkPaths && r.options.level == 9, "zip line switches");
    expectEqual(r.options.files.size(), std::size_t{2}, "zip line files");

    r = parse({"a.zip", "x"});
    expect(r.error.empty() && !r.options.level.has_value(), "no level switch leaves the default");

    // Combined and repeated switches: the last level wins.
    r = parse({"-qj9", "-0", "a.zip", "x"});
    expect(r.error.empty() && r.options.quiet && r.options.junkPaths && r.options.level == 0,
           "combined switches");

    // After the archive everything is a file name, even what looks like a switch.
    r = parse({"-9", "a.zip", "-0", "-j"});
    expect(r.error.empty() && r.options.level == 9 && !r.options.junkPaths, "switches end at the archive");
    expect(r.options.files == std::vector<std::string>{"-0", "-j"}, "names after the archive are literal");

    r = parse({"--", "-odd.zip", "x"});
    expect(r.error.empty() && r.options.archive == "-odd.zip", "-- ends the switches");

    expect(!parse({"-r", "a.zip", "x"}).error.empty(), "unknown switch refused");
    expect(!parse({"-9x", "a.zip", "x"}).error.empty(), "unknown letter in a combined switch refused");
    expect(!parse({"--recurse", "a.zip"}).error.empty(), "unknown long switch refused");
    expect(!parse({"-", "a.zip"}).error.empty(), "standard input refused");
    expect(!parse({"-9", "-j"}).error.empty(), "switches without an archive refused");
    expect(parse({}).options.help, "no arguments shows the usage");

    r = parse({"-9", "a.zip"});
    expect(r.error.empty() && r.options.files.empty(), "an archive without files parses (nothing to do)");
}

void testLevels()
{
    expectEqual(libdeflateLevel(std::nullopt), libdeflateLevel(6), "no switch is -6");
    expectEqual(libdeflateLevel(6), 7, "-6 is libdeflate 7");
    expectEqual(libdeflateLevel(0), 0, "-0 stores");
    for (int level = 1; level <= 5; ++level)
        expectEqual(libdeflateLevel(level), level, "-" + std::to_string(level) + " keeps its number");
    expectEqual(libdeflateLevel(9), 12, "-9 is libdeflate's strongest");
    for (int level = 1; level < 9; ++level)
        expect(libdeflateLevel(level) < libdeflateLevel(level + 1), "levels rise with the switch");
}

void testEntryNames()
{
    const auto name = [](const char* path, bool junk = false) { return entryName(path, junk); };
    expectEqual(name("maps/q3dm99.bsp").name, std::string("maps/q3dm99.bsp"), "relative path kept");
    expectEqual(name("maps\\sub\\q3dm99.bsp").name, std::string("maps/sub/q3dm99.bsp"), "backslashes");
    expectEqual(name("C:\\maps\\x.bsp").name, std::string("maps/x.bsp"), "drive letter dropped");
    expectEqual(name("/src/q3dm99.txt").name, std::string("src/q3dm99.txt"), "leading slash dropped");
    expectEqual(name("//server/share/x").name, std::string("server/share/x"), "leading slashes dropped");
    expectEqual(name("maps//x.bsp").name, std::string("maps/x.bsp"), "empty component collapsed");
    expectEqual(name("maps/map[1].bsp").name, std::string("maps/map[1].bsp"), "wildcard characters kept");
    expectEqual(name("maps/*?.bsp").name, std::string("maps/*?.bsp"), "more wildcard characters kept");
    expectEqual(name("/out/q3dm99.pk3", true).name, std::string("q3dm99.pk3"), "-j keeps the file name");
    expectEqual(name("C:\\out\\q3dm99.pk3", true).name, std::string("q3dm99.pk3"), "-j with a Windows path");
    expectEqual(name("../src/q3dm99.txt", true).name, std::string("q3dm99.txt"),
                "-j drops the folders, '..' included");

    expectEqual(name("./-readme.txt").name, std::string("-readme.txt"), "a leading ./ is not part of the name");
    for (const char* bad : {"../x.bsp", "maps/../x.bsp", "maps/./x.bsp", "maps/..", "..\\x", "./", "./../x"})
        expect(!name(bad).error.empty(), std::string("refused: ") + bad);
    expect(!name("maps/..", true).error.empty(), "-j with '..' as the file name refused");
    for (const char* empty : {"", "/", "C:", "C:\\", "//"})
        expect(!name(empty).error.empty(), std::string("no name in: '") + empty + "'");
}

void testPercentAndUtf8()
{
    expectEqual(percentSaved(1000, 240), 76, "76%");
    expectEqual(percentSaved(200, 101), 50, "49.5% rounds up");
    expectEqual(percentSaved(3, 2), 33, "33%");
    expectEqual(percentSaved(0, 0), 0, "empty file");
    expectEqual(percentSaved(10, 10), 0, "not smaller");

    expect(!needsUtf8Flag("maps/q3dm99.bsp"), "ASCII needs no flag");
    expect(needsUtf8Flag("maps/caf\xc3\xa9.bsp"), "UTF-8 name flagged");
    expect(!needsUtf8Flag("maps/caf\xe9.bsp"), "Latin-1 byte is not UTF-8");
    expect(!needsUtf8Flag("x\xc3"), "truncated sequence is not UTF-8");
}

void testLimits()
{
    expect(checkEntryCount(65535).empty(), "65,535 entries allowed");
    expect(!checkEntryCount(65536).empty(), "65,536 entries refused");
    expect(checkFileSize(0xFFFFFFFEull).empty(), "largest 32-bit size allowed");
    expect(!checkFileSize(0xFFFFFFFFull).empty(), "4 GiB - 1 is the zip64 marker, refused");
    expect(!checkFileSize(5ull << 30).empty(), "5 GiB refused");

    ArchiveBudget many;
    EntryLayout small;
    small.nameBytes = 12;
    small.compressedSize = small.uncompressedSize = 100;
    bool allFit = true;
    for (int i = 0; i < 65535; ++i)
        allFit = allFit && many.add(small).empty();
    expect(allFit && many.finish(0).empty(), "65,535 small entries fit");
    expect(!many.add(small).empty(), "the 65,536th entry is refused");
    expectEqual(many.entries(), std::uint64_t{65535}, "a refused entry is not counted");

    // One entry, name of one byte: 30 + 1 + data + 46 + 1 + 22 bytes in all.
    const std::uint64_t largestData = (std::uint64_t{1} << 32) - 1 - 100;
    ArchiveBudget exact;
    EntryLayout big;
    big.nameBytes = 1;
    big.compressedSize = largestData;
    big.uncompressedSize = largestData;
    expect(exact.add(big).empty() && exact.finish(0).empty(), "archive of 4 GiB - 1 bytes fits");
    expect(!exact.finish(1).empty(), "one byte of comment more does not");
    ArchiveBudget over;
    big.compressedSize = big.uncompressedSize = largestData + 1;
    expect(!over.add(big).empty(), "archive of 4 GiB refused");

    ArchiveBudget two;
    EntryLayout half;
    half.nameBytes = 8;
    half.compressedSize = half.uncompressedSize = 3ull << 30;
    expect(two.add(half).empty(), "3 GiB entry fits alone");
    half.compressedSize = 1ull << 30;
    expect(!two.add(half).empty(), "entries adding up to 4 GiB refused");

    ArchiveBudget deflated;
    EntryLayout packed;
    packed.nameBytes = 8;
    packed.compressedSize = 1000;
    packed.uncompressedSize = 0xFFFFFFFFull;
    expect(!deflated.add(packed).empty(), "small stream of a 4 GiB file refused");

    ArchiveBudget longName;
    EntryLayout named;
    named.nameBytes = 65536;
    expect(!longName.add(named).empty(), "name over 65,535 bytes refused");
}

// zlib, not libdeflate, reads the streams back: an independent decoder.
std::vector<unsigned char> inflateAll(const std::vector<unsigned char>& stream, std::size_t expected)
{
    std::vector<unsigned char> out(expected + 16);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = const_cast<unsigned char*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const bool whole = status == Z_STREAM_END && z.avail_in == 0;
    out.resize(whole ? z.total_out : 0);
    inflateEnd(&z);
    if (!whole)
        out.assign(1, 0xEE);
    return out;
}

std::vector<unsigned char> mapLikeData(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = (i % 16 < 10) ? static_cast<unsigned char>((i / 16) % 7 + (rng() % 3)) : static_cast<unsigned char>(rng());
    return data;
}

void testJoinedStreams()
{
    using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;
    int joins = 0;
    for (int level : {1, 6, 12}) {
        Compressor compressor(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
        // Many lengths, so that the streams end at every bit position.
        for (unsigned seed = 0; seed < 40; ++seed) {
            std::vector<unsigned char> whole;
            std::vector<unsigned char> joined;
            for (unsigned part = 0; part < 3; ++part) {
                std::vector<unsigned char> data = mapLikeData(1 + seed * 37 + part * 1001, seed * 3 + part);
                if (seed % 5 == 4) // incompressible: libdeflate falls back to stored blocks
                    for (unsigned char& byte : data)
                        byte = static_cast<unsigned char>(byte * 131 + seed);
                std::vector<unsigned char> stream(libdeflate_deflate_compress_bound(compressor.get(), data.size()));
                stream.resize(libdeflate_deflate_compress(compressor.get(), data.data(), data.size(), stream.data(),
                                                          stream.size()));
                if (part < 2) {
                    const bool ok = makeJoinable(stream);
                    expect(ok, "stream can be made joinable");
                    joins += ok;
                }
                whole.insert(whole.end(), data.begin(), data.end());
                joined.insert(joined.end(), stream.begin(), stream.end());
            }
            expect(inflateAll(joined, whole.size()) == whole,
                   "joined streams inflate to the joined data (level " + std::to_string(level) + ", seed " +
                       std::to_string(seed) + ")");
        }
    }
    expectEqual(joins, 3 * 40 * 2, "every stream was joinable");

    std::vector<unsigned char> truncated = {0x4b, 0x4c, 0x4a};
    expect(!makeJoinable(truncated), "a truncated stream is refused");
    std::vector<unsigned char> garbage = {0xff, 0xff, 0xff, 0xff};
    expect(!makeJoinable(garbage), "an invalid stream is refused");

    expectEqual(pieceCount(10u << 20, 6, 2), 1u, "fast levels are not cut");
    expectEqual(pieceCount(10u << 20, 12, 2), 2u, "a 10 MB map is cut in two on two cores");
    expectEqual(pieceCount(10u << 20, 12, 1), 1u, "no cut on one core");
    expectEqual(pieceCount(1536u << 10, 12, 2), 1u, "no pieces under 1 MiB");
    expectEqual(pieceCount(100u << 20, 12, 64), 4u, "at most four pieces");

    Compressor strongest(libdeflate_alloc_compressor(12), libdeflate_free_compressor);
    const std::vector<unsigned char> data = mapLikeData(3u << 20, 7);
    const std::vector<unsigned char> single = deflateData(data.data(), data.size(), 12, strongest.get(), 1);
    const std::vector<unsigned char> cut = deflateData(data.data(), data.size(), 12, strongest.get(), 3);
    expect(inflateAll(cut, data.size()) == data, "a file cut in three inflates to itself");
    expect(inflateAll(single, data.size()) == data, "a file in one go inflates to itself");
    expect(cut.size() < single.size() + single.size() / 500, "cutting costs under 0.2%");
    const std::vector<unsigned char> noise = [] {
        std::vector<unsigned char> bytes(3u << 20);
        std::mt19937 rng(1);
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(rng());
        return bytes;
    }();
    expect(deflateData(noise.data(), noise.size(), 12, strongest.get(), 2).empty(),
           "incompressible data is left to be stored");
}

// Each plan written as text: "k0" keeps old entry 0, "n1" adds new file 1,
// "r1" adds new file 1 in the place of the old entry it replaces.
std::string planText(const std::vector<std::string>& oldNames, const std::vector<std::string>& newNames)
{
    std::string text;
    for (const PlanStep& step : planEntries(oldNames, newNames)) {
        if (!text.empty())
            text += ' ';
        text += step.kind == PlanStep::Kind::keepOld ? 'k' : step.replacing ? 'r' : 'n';
        text += std::to_string(step.index);
    }
    return text;
}

void testPlan()
{
    const struct {
        const char* what;
        std::vector<std::string> oldNames;
        std::vector<std::string> newNames;
        const char* plan;
    } rows[] = {
        {"new archive", {}, {"maps/a.bsp", "a.txt"}, "n0 n1"},
        {"nothing replaced", {"x", "y"}, {"z"}, "k0 k1 n0"},
        {"replaced where it stands", {"x", "maps/a.bsp", "y"}, {"a.txt", "maps/a.bsp"}, "k0 r1 k2 n0"},
        {"every entry replaced", {"b", "a"}, {"a", "b"}, "r1 r0"},
        {"old duplicate dropped with the first", {"a", "x", "a"}, {"a"}, "r0 k1"},
        {"names compared exactly", {"Maps/A.bsp"}, {"maps/a.bsp"}, "k0 n0"},
        {"empty archive gains nothing", {"x"}, {}, "k0"},
    };
    for (const auto& row : rows)
        expectEqual(planText(row.oldNames, row.newNames), std::string(row.plan), std::string("plan: ") + row.what);
}

} // namespace

int main()
{
    testCommandLine();
    testLevels();
    testEntryNames();
    testPercentAndUtf8();
    testLimits();
    testJoinedStreams();
    testPlan();
    if (g_failures == 0)
        std::printf("all zip core checks passed\n");
    return g_failures == 0 ? 0 : 1;
}
