#include "platform/OpenFileDialog.h"

#include "platform/FileFilter.h"

#include <QFileDialog>

namespace corvane {

void prepareOpenFileDialog(QFileDialog &dialog, const OpenFileRequest &request)
{
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((request.flags & OpenFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(toQtNameFilter(request.filter));
    dialog.selectFile(request.initialName);
}

} // namespace corvane
