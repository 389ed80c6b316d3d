#include "platform/DesktopPlatform.h"

#include "platform/OpenFileDialog.h"
#include "platform/ProcessLauncher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace corvane {

namespace {

QString defaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QMessageBox::Icon iconFor(int flags)
{
    switch (messageIcon(flags)) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

DesktopPlatform::DesktopPlatform(const DesktopPlatformConfig &config)
    : m_settings(config.settingsFile)
    , m_files(DrivePaths(config.dataFolder.isEmpty() ? defaultDataFolder() : config.dataFolder, config.stagingFolders))
    , m_programFolder(config.programFolder)
{
}

bool DesktopPlatform::writeSetting(const QString &section, const QString &key, const QString &value)
{
    return m_settings.write(section, key, value);
}

QString DesktopPlatform::readSetting(const QString &section, const QString &key, const QString &defaultValue)
{
    return m_settings.read(section, key, defaultValue);
}

QString DesktopPlatform::settingsLocation() const
{
    return m_settings.location();
}

bool DesktopPlatform::copyFile(const QString &from, const QString &to, QString *error)
{
    return m_files.copyFile(from, to, error);
}

bool DesktopPlatform::deleteFile(const QString &path)
{
    return m_files.deleteFile(path);
}

bool DesktopPlatform::makeFolder(const QString &path, QString *error)
{
    return m_files.makeFolder(path, error);
}

bool DesktopPlatform::removeEmptyFolder(const QString &path)
{
    return m_files.removeEmptyFolder(path);
}

bool DesktopPlatform::folderExists(const QString &path)
{
    return m_files.folderExists(path);
}

bool DesktopPlatform::fileExists(const QString &path)
{
    return m_files.fileExists(path);
}

std::optional<qint64> DesktopPlatform::fileLength(const QString &path)
{
    return m_files.fileLength(path);
}

QString DesktopPlatform::programFolder() const
{
    const QString folder = m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
    return QDir::cleanPath(folder);
}

std::optional<FileStamp> DesktopPlatform::fileStamp(const QString &path)
{
    return m_files.fileStamp(path);
}

ZipReport DesktopPlatform::inspectZip(const QString &path)
{
    return m_files.inspectZip(path);
}

ZipReport DesktopPlatform::listZip(const QString &path)
{
    return m_files.listZip(path);
}

std::optional<QString> DesktopPlatform::setAside(const QString &path, QString *error)
{
    return m_files.setAside(path, error);
}

QString DesktopPlatform::displayPath(const QString &path) const
{
    return m_files.displayPath(path);
}

std::unique_ptr<LaunchedProcess> DesktopPlatform::launch(const QString &commandLine, WindowStyle style)
{
    return launchCommandLine(commandLine, m_files.paths(), style);
}

int DesktopPlatform::messageBox(const QString &text, int flags, const QString &title, const QString &details)
{
    QMessageBox box(iconFor(flags), title, text, QMessageBox::NoButton, QApplication::activeWindow());
    const bool yesNo = asksYesNo(flags);
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    if (!details.isEmpty())
        box.setDetailedText(details);
    const int answer = box.exec();
    if (yesNo)
        return answer == QMessageBox::Yes ? AnswerYes : AnswerNo;
    return AnswerOk;
}

std::optional<OpenFileResult> DesktopPlatform::openFile(const OpenFileRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow());
    prepareOpenFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return OpenFileResult{path, QFileInfo(path).fileName()};
}

QString DesktopPlatform::browseForFolder(const QString &prompt, QWidget *owner)
{
    const QString folder =
        QFileDialog::getExistingDirectory(owner, prompt, QDir::homePath(), QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(folder);
}

int DesktopPlatform::showModal(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace corvane
