#include "packaging/CBrowseDlg.h"

#include "platform/Platform.h"

namespace corvane {

QString CBrowseDlg::ShowBrowseDlg()
{
    QString path = m_platform.browseForFolder(m_prompt, m_hwndOwner);
    // A path never carries a NUL; whatever follows one is not part of it.
    const int end = path.indexOf(QChar(u'\0'));
    if (end >= 0)
        path.truncate(end);
    return path;
}

} // namespace corvane
