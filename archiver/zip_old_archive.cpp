#include "zip_old_archive.h"

#include "zip_failure.h"
#include "zip_options.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace corvane::zip {

namespace {

constexpr std::uint16_t methodStored = 0;
constexpr std::uint16_t methodDeflated = 8;
constexpr std::size_t readBufferBytes = 256 * 1024;

class FileBytes : public ArchiveBytes {
public:
    explicit FileBytes(const std::string& path) : m_file(path), m_size(m_file.info().size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, std::size_t size) override
    {
        return offset <= m_size && m_size - offset >= size && m_file.readAt(offset, buffer, size) == size;
    }

private:
    os::InputFile m_file;
    std::uint64_t m_size;
};

// libzip reads the same bytes through a source of our own, so that files
// and memory are read alike, with every path and length the system allows.
struct SourceState {
    ArchiveBytes* bytes = nullptr;
    std::uint64_t position = 0;
    zip_error_t error{};
};

zip_int64_t sourceCommand(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* state = static_cast<SourceState*>(userdata);
    const std::uint64_t size = state->bytes->size();
    switch (command) {
    case ZIP_SOURCE_OPEN:
        state->position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const std::uint64_t left = state->position < size ? size - state->position : 0;
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, left));
        if (count > 0 && !state->bytes->read(state->position, data, count)) {
            zip_error_set(&state->error, ZIP_ER_READ, EIO);
            return -1;
        }
        state->position += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t)) {
            zip_error_set(&state->error, ZIP_ER_INVAL, 0);
            return -1;
        }
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&state->error, data, length);
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t at = zip_source_seek_compute_offset(state->position, size, data, length, &state->error);
        if (at < 0)
            return -1;
        state->position = static_cast<std::uint64_t>(at);
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(state->position);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, -1);
    default:
        zip_error_set(&state->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

struct OldArchive::Library {
    std::unique_ptr<ArchiveBytes> bytes;
    SourceState state;
    zip_t* archive = nullptr;

    ~Library()
    {
        if (archive)
            zip_discard(archive);
        zip_error_fini(&state.error);
    }
};

OldArchive::OldArchive() = default;
OldArchive::~OldArchive() = default;

void OldArchive::close() { m_library.reset(); }

void OldArchive::invalid(const std::string& why) const
{
    throw Failure(exitcode::badArchive, "Zip file structure invalid (" + m_path + "): " + why);
}

void OldArchive::open(const std::string& path)
{
    m_path = path;
    std::string error;
    const os::Found found = os::inspect(path, m_status, error);
    if (found == os::Found::missing)
        return;
    if (found == os::Found::failed)
        throw Failure(exitcode::cannotWrite, "Could not open " + path + " (" + error + ")");
    m_exists = true;
    if (!m_status.regular)
        throw Failure(exitcode::cannotWrite, path + " is not a regular file");
    if (m_status.size == 0)
        return; // an empty file holds no entries yet
    open(std::make_unique<FileBytes>(path), path);
}

void OldArchive::open(std::unique_ptr<ArchiveBytes> bytes, const std::string& shownPath)
{
    m_path = shownPath;
    m_exists = true;
    if (std::string problem = readRecords(*bytes, m_records); !problem.empty())
        invalid(problem);

    m_library = std::make_unique<Library>();
    Library& library = *m_library;
    library.bytes = std::move(bytes);
    library.state.bytes = library.bytes.get();
    zip_error_init(&library.state.error);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(sourceCommand, &library.state, &error);
    if (source)
        library.archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!library.archive) {
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (source)
            zip_source_free(source);
        invalid("libzip finds it damaged (" + reason + ")");
    }
    zip_error_fini(&error);

    const std::vector<RawEntry>& entries = m_records.entries;
    if (zip_get_num_entries(library.archive, ZIP_FL_UNCHANGED) != static_cast<zip_int64_t>(entries.size()))
        invalid("libzip counts its entries differently");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RawEntry& entry = entries[i];
        zip_stat_t stat;
        const bool same = zip_stat_index(library.archive, i, ZIP_FL_UNCHANGED, &stat) == 0 &&
            stat.size == entry.uncompressedSize && stat.comp_size == entry.compressedSize &&
            stat.crc == entry.crc && stat.comp_method == static_cast<zip_int32_t>(entry.method);
        if (!same)
            invalid("libzip reads the entry " + printableName(entry.name) + " differently");
        // A name is a C string to the game: what follows a NUL would be lost
        // and the entry read as another one.
        if (entry.name.find('\0') != std::string::npos)
            invalid("the entry " + printableName(entry.name) + " has a NUL byte in its name");
    }
}

void OldArchive::checkCarriable(std::size_t index) const
{
    const RawEntry& entry = m_records.entries.at(index);
    const std::string name = "entry " + printableName(entry.name) + " of " + m_path;
    if (entry.flags & flagEncrypted)
        throw Failure(exitcode::badArchive, name + " is encrypted; the game cannot read it");
    if (entry.method != methodStored && entry.method != methodDeflated)
        throw Failure(exitcode::badArchive, name + " uses compression method " + std::to_string(entry.method) +
                                                "; the game reads only stored and deflated entries");
}

std::uint64_t OldArchive::readEntry(std::size_t index, bool stored, std::uint64_t limit, const DataSink& sink)
{
    const RawEntry& entry = m_records.entries.at(index);
    const std::string what = "the entry " + printableName(entry.name) + " of " + m_path;
    zip_file_t* file = zip_fopen_index(m_library->archive, index, stored ? ZIP_FL_COMPRESSED : 0);
    if (!file)
        throw Failure(exitcode::badArchive,
                      "could not read " + what + " (" + zip_strerror(m_library->archive) + ")");
    // One buffer for all entries: an archive may hold 65,535 small ones.
    m_buffer.resize(readBufferBytes);
    std::uint64_t total = 0;
    for (;;) {
        os::checkStop();
        const zip_int64_t got = zip_fread(file, m_buffer.data(), m_buffer.size());
        if (got < 0) {
            const std::string reason = zip_file_strerror(file);
            zip_fclose(file);
            throw Failure(exitcode::badArchive, what + " is damaged (" + reason + ")");
        }
        if (got == 0)
            break;
        total += static_cast<std::uint64_t>(got);
        // Never more than it claims: a few damaged bytes could unpack to
        // far more than any disk holds.
        if (total > limit)
            break;
        sink(m_buffer.data(), static_cast<std::size_t>(got));
    }
    zip_fclose(file);
    return total;
}

void OldArchive::copyData(std::size_t index, const DataSink& sink)
{
    const RawEntry& entry = m_records.entries.at(index);
    const std::string what = "the entry " + printableName(entry.name) + " of " + m_path;
    // A stored entry's data is its content, checked as it is read; a
    // deflated one is unpacked and checked first.
    if (entry.method != methodStored &&
        readEntry(index, false, entry.uncompressedSize, [](const unsigned char*, std::size_t) {}) !=
            entry.uncompressedSize)
        throw Failure(exitcode::badArchive, what + " is damaged (it does not unpack to its size)");
    const std::uint64_t size = entry.method == methodStored ? entry.uncompressedSize : entry.compressedSize;
    if (entry.method == methodStored && entry.compressedSize != entry.uncompressedSize)
        throw Failure(exitcode::badArchive, what + " is damaged (stored, but with two sizes)");
    if (readEntry(index, true, size, sink) != size)
        throw Failure(exitcode::badArchive, what + " is damaged (its data is not of its size)");
}

} // namespace corvane::zip
