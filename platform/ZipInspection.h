#pragma once

#include "platform/Platform.h"

class QIODevice;

namespace corvane {

// Reads a zip archive as the game reads it and checks it as strictly as a
// package can be checked: its entries as the game lists them; one end record,
// found where the game looks and ending the file; a directory of exactly the
// counted entries right before it; each local header saying what its
// directory entry says; the entries one after another from the first byte,
// none overlapping; no zip64; and every entry's data unpacked whole, to its
// size and CRC. This reader shares no code with the archiver that wrote the
// archive; libzip, read for a second opinion, must agree with it.
// A listing stops once the entries are known, before any data is read.
enum class ZipDepth { Listing, Whole };

ZipReport inspectZipFile(const QString &nativePath, ZipDepth depth);
ZipReport inspectZipDevice(QIODevice &device, ZipDepth depth);

} // namespace corvane
