#pragma once

#include <zip.h>

class QIODevice;

namespace corvane {

// Opens the archive on the device with libzip, read-only and with its
// consistency checks; the device must outlive the archive. Returns null, with
// libzip's reason in error, when libzip finds it damaged.
zip_t *openWithLibzip(QIODevice &device, zip_error_t &error);

} // namespace corvane
