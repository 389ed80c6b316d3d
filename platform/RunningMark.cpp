#include "platform/RunningMark.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace corvane {

RunningMark::RunningMark()
{
#ifdef Q_OS_WIN
    // The name is dist/windows/corvane.nsi's too.
    m_handle = CreateMutexW(nullptr, FALSE, L"Local\\Corvane");
#endif
}

RunningMark::~RunningMark()
{
#ifdef Q_OS_WIN
    if (m_handle)
        CloseHandle(m_handle);
#endif
}

} // namespace corvane
