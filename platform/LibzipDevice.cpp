#include "platform/LibzipDevice.h"

#include <QIODevice>

#include <algorithm>
#include <cerrno>

namespace corvane {

namespace {

constexpr qint64 chunkBytes = 256 * 1024;

// Owned by the libzip source, freed with it.
struct SourceState {
    QIODevice *device = nullptr;
    qint64 position = 0;
    zip_error_t error{};
};

zip_int64_t deviceSource(void *userdata, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *state = static_cast<SourceState *>(userdata);
    const qint64 size = state->device->size();
    switch (command) {
    case ZIP_SOURCE_OPEN:
        state->position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const qint64 count = std::min<qint64>(qint64(std::min<zip_uint64_t>(length, chunkBytes)),
                                              std::max<qint64>(size - state->position, 0));
        if (count > 0 && (!state->device->seek(state->position) ||
                          state->device->read(static_cast<char *>(data), count) != count)) {
            zip_error_set(&state->error, ZIP_ER_READ, EIO);
            return -1;
        }
        state->position += count;
        return count;
    }
    case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t)) {
            zip_error_set(&state->error, ZIP_ER_INVAL, 0);
            return -1;
        }
        auto *stat = static_cast<zip_stat_t *>(data);
        zip_stat_init(stat);
        stat->size = zip_uint64_t(size);
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t at = zip_source_seek_compute_offset(zip_uint64_t(state->position), zip_uint64_t(size),
                                                              data, length, &state->error);
        if (at < 0)
            return -1;
        state->position = at;
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return state->position;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&state->error, data, length);
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_FREE:
        zip_error_fini(&state->error);
        delete state;
        return 0;
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

zip_t *openWithLibzip(QIODevice &device, zip_error_t &error)
{
    auto *state = new SourceState;
    state->device = &device;
    zip_error_init(&state->error);
    zip_source_t *source = zip_source_function_create(deviceSource, state, &error);
    if (!source) {
        zip_error_fini(&state->error);
        delete state;
        return nullptr;
    }
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        zip_source_free(source);
    return archive;
}

} // namespace corvane
