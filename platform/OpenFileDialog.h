#pragma once

#include "platform/Platform.h"

class QFileDialog;

namespace corvane {

// Presets a Qt file dialog as the request asks: title, filter, the rule that
// the file must exist, and the proposed file name.
void prepareOpenFileDialog(QFileDialog &dialog, const OpenFileRequest &request);

} // namespace corvane
