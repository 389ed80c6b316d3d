#include "zip_old_archive.h"

#include "zip_failure.h"
#include "zip_options.h"

#include <minizip/zip.h>

namespace corvane::zip {

void readOldArchive(const std::string& path, OldArchive& old)
{
    std::string error;
    const os::Found found = os::inspect(path, old.status, error);
    if (found == os::Found::missing)
        return;
    if (found == os::Found::failed)
        throw Failure(exitcode::cannotWrite, "Could not open " + path + " (" + error + ")");
    old.exists = true;
    if (!old.status.regular)
        throw Failure(exitcode::cannotWrite, path + " is not a regular file");
    if (old.status.size == 0)
        return; // an empty file holds no entries yet
    const std::string invalid = "Zip file structure invalid (" + path + ")";
    old.file = os::openZipToRead(path);
    if (!old.file)
        throw Failure(exitcode::badArchive, invalid);
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(old.file, &global) != UNZ_OK)
        throw Failure(exitcode::badArchive, invalid);
    if (global.size_comment > 0) {
        std::vector<char> text(global.size_comment + 1);
        const int got = unzGetGlobalComment(old.file, text.data(), static_cast<uLong>(text.size()));
        if (got < 0)
            throw Failure(exitcode::badArchive, invalid);
        old.comment.assign(text.data(), static_cast<std::size_t>(got));
    }
    // Counted rather than run to the end of the list: minizip takes a count
    // of exactly 65,535 as "maybe more" and then reads past the directory.
    for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
        const int status = i == 0 ? unzGoToFirstFile(old.file) : unzGoToNextFile(old.file);
        if (status != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        OldEntry entry;
        if (unzGetCurrentFileInfo64(old.file, &entry.info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(old.file, &entry.position) != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        std::vector<char> name(entry.info.size_filename + 1);
        entry.centralExtra.resize(entry.info.size_file_extra);
        std::vector<char> comment(entry.info.size_file_comment + 1);
        if (unzGetCurrentFileInfo64(old.file, &entry.info, name.data(), static_cast<uLong>(name.size()),
                                    entry.centralExtra.data(), static_cast<uLong>(entry.centralExtra.size()),
                                    comment.data(), static_cast<uLong>(comment.size())) != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        entry.name.assign(name.data(), entry.info.size_filename);
        entry.comment.assign(comment.data(), entry.info.size_file_comment);
        old.entries.push_back(std::move(entry));
    }
}

void checkCarriable(const OldEntry& entry, const std::string& archive)
{
    if (entry.info.flag & 1)
        throw Failure(exitcode::badArchive,
                      "entry " + entry.name + " of " + archive + " is encrypted; the game cannot read it");
    if (entry.info.compression_method != 0 && entry.info.compression_method != Z_DEFLATED)
        throw Failure(exitcode::badArchive,
                      "entry " + entry.name + " of " + archive + " uses compression method " +
                          std::to_string(entry.info.compression_method) +
                          "; the game reads only stored and deflated entries");
}

std::vector<char> withoutZip64(std::vector<char> extra)
{
    if (extra.empty())
        return extra;
    int size = static_cast<int>(extra.size());
    zipRemoveExtraInfoBlock(extra.data(), &size, 0x0001);
    extra.resize(static_cast<std::size_t>(size));
    return extra;
}

} // namespace corvane::zip
