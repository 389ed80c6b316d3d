#pragma once

#include <QString>

class QWidget;

namespace corvane {

class Platform;

// The platform's folder browser, owned by a window and showing a prompt.
class CBrowseDlg {
public:
    explicit CBrowseDlg(Platform &platform)
        : m_platform(platform)
    {
    }

    void ParentHWnd(QWidget *owner) { m_hwndOwner = owner; }
    void Prompt(const QString &prompt) { m_prompt = prompt; }
    // The chosen folder's path; empty when the user cancels or the chosen
    // item is not a folder of the file system.
    QString ShowBrowseDlg();

private:
    Platform &m_platform;
    QWidget *m_hwndOwner = nullptr;
    QString m_prompt;
};

} // namespace corvane
