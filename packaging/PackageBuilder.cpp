#include "packaging/PackageBuilder.h"

#include "platform/Product.h"

#include "package/PreBuildCheck.h"
#include "widgets/Tag.h"
#include "packaging/CmpOptions.h"
#include "packaging/CommandLines.h"
#include "packaging/DirExists.h"
#include "packaging/InputSafety.h"
#include "platform/Platform.h"
#include "profiles/ProfileRecord.h"
#include "profiles/SettingsRecord.h"
#include "profiles/SettingsStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <vector>

namespace corvane {

namespace {

const QString failureTitle = QStringLiteral("Wexbridge");
const QString failureText = QStringLiteral(
    "Sorry, there was an error creating the file. Please fill in the feedback form at the address in the "
    "About box and we will try to help you.");

enum Folder { Levelshots, Maps, Scripts, Root };

struct StagingFolder {
    QString testPath;   // as the existence test asks for it
    QString createPath; // as it is made and removed
    bool created = false;
};

struct StagedSlot {
    const char *label;
    QLineEdit *slot;
    const char *prefix;
    Folder folder;
};

class Build {
public:
    Build(Platform &platform, const SettingsStore &store, const PackageDescription &description)
        : m_platform(platform), m_store(store), m_d(description)
    {
    }

    void run();

private:
    void message(const QString &text, int flags, const QString &title = productName(), const QString &details = {})
    {
        m_platform.messageBox(text, flags, title, details);
    }
    std::vector<StagedSlot> plannedCopies() const;
    bool checkStagingPlaces(const std::vector<StagedSlot> &copies);
    bool createFolders();
    bool stageFiles(const std::vector<StagedSlot> &copies);
    bool runArchiver(const QString &commandLine, const QString &archiveName, bool askToWait);
    void removeStaged();
    void removeCreatedFolders();
    void failBuild(const QString &text);
    ArchiverInputs archiverInputs() const;

    Platform &m_platform;
    const SettingsStore &m_store;
    const PackageDescription &m_d;
    std::array<StagingFolder, 3> m_folders{{
        {QStringLiteral("c:\\levelshots\\"), QStringLiteral("C:\\levelshots"), false},
        {QStringLiteral("c:\\maps\\"), QStringLiteral("C:\\maps"), false},
        {QStringLiteral("c:\\scripts\\"), QStringLiteral("C:\\scripts"), false},
    }};
    QStringList m_staged; // copies this build made, in copy order
    QString m_compression;
};

std::vector<StagedSlot> Build::plannedCopies() const
{
    std::vector<StagedSlot> copies{
        {"Levelshot", m_d.files.Levelshot, "C:\\LEVELSHOTS\\", Levelshots},
        {"AAS file", m_d.files.AAS, "C:\\MAPS\\", Maps},
        {"BSP File", m_d.files.BSP, "C:\\MAPS\\", Maps},
        {"Readme file", m_d.files.ReadmeFile, "C:\\", Root},
        {"Arena File", m_d.files.ArenaFile, "C:\\scripts\\", Scripts},
    };
    if (!m_d.files.Shader1->text().isEmpty())
        copies.push_back({"first Shader file", m_d.files.Shader1, "C:\\scripts\\", Scripts});
    if (!m_d.files.Shader2->text().isEmpty())
        copies.push_back({"second Shader file", m_d.files.Shader2, "C:\\scripts\\", Scripts});
    return copies;
}

// The staging places are shared with whatever else is on the drive: refuse
// to build over a file that is already there rather than replace and then
// delete it, and refuse two slots that would land on one name.
bool Build::checkStagingPlaces(const std::vector<StagedSlot> &copies)
{
    for (const StagedSlot &copy : copies) {
        if (copy.slot->text().isEmpty()) {
            message(QStringLiteral("The %1 slot is empty, so there is nothing to copy into the package. "
                                   "Please select a %1 to add.")
                        .arg(QLatin1String(copy.label)),
                    FlagsExclamation);
            return false;
        }
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        const QString target = QLatin1String(copies[i].prefix) + copies[i].slot->text();
        for (size_t j = 0; j < i; ++j) {
            const QString other = QLatin1String(copies[j].prefix) + copies[j].slot->text();
            if (target.compare(other, Qt::CaseInsensitive) == 0) {
                message(QStringLiteral("The %1 and the %2 would both be staged as \"%3\". Please select "
                                       "different files.")
                            .arg(QLatin1String(copies[j].label), QLatin1String(copies[i].label),
                                 m_platform.displayPath(target)),
                        FlagsExclamation);
                return false;
            }
        }
        if (m_platform.fileExists(target)) {
            message(QStringLiteral("The file \"%1\" is already in the staging folder, where the %2 \"%3\" must "
                                   "be copied. Corvane does not replace it; please move it away and press "
                                   "Create again.")
                        .arg(m_platform.displayPath(target), QLatin1String(copies[i].label), copies[i].slot->text()),
                    FlagsExclamation);
            return false;
        }
    }
    return true;
}

bool Build::createFolders()
{
    for (StagingFolder &folder : m_folders) {
        if (!folder.created)
            continue;
        QString error;
        if (!m_platform.makeFolder(folder.createPath, &error)) {
            folder.created = false;
            failBuild(QStringLiteral("The staging folder \"%1\" could not be created: %2.")
                          .arg(m_platform.displayPath(folder.createPath), error));
            return false;
        }
    }
    return true;
}

bool Build::stageFiles(const std::vector<StagedSlot> &copies)
{
    for (const StagedSlot &copy : copies) {
        const QString target = QLatin1String(copy.prefix) + copy.slot->text();
        QString error;
        if (!m_platform.copyFile(tagOf(copy.slot), target, &error)) {
            failBuild(QStringLiteral("The %1 \"%2\" could not be copied to \"%3\": %4.")
                          .arg(QLatin1String(copy.label), tagOf(copy.slot), m_platform.displayPath(target), error));
            return false;
        }
        m_staged << target;
    }
    return true;
}

void Build::failBuild(const QString &text)
{
    message(text + QStringLiteral(" Nothing was packaged."), FlagsExclamation);
    removeStaged();
    removeCreatedFolders();
}

void Build::removeStaged()
{
    for (const QString &copy : std::as_const(m_staged))
        m_platform.deleteFile(copy);
    m_staged.clear();
}

void Build::removeCreatedFolders()
{
    for (const Folder folder : {Levelshots, Scripts, Maps}) {
        if (m_folders[folder].created)
            m_platform.removeEmptyFolder(m_folders[folder].createPath);
    }
}

ArchiverInputs Build::archiverInputs() const
{
    ArchiverInputs in;
    in.programFolder = m_platform.programFolder();
    in.compression = m_compression;
    in.saveLocation = m_d.SaveLocation->text();
    in.shortName = m_d.ShortName->text();
    in.levelshot = m_d.files.Levelshot->text();
    in.aas = m_d.files.AAS->text();
    in.bsp = m_d.files.BSP->text();
    in.readme = m_d.files.ReadmeFile->text();
    in.readmeInPackage = m_d.ReadmePK3->isChecked();
    in.arena = m_d.files.ArenaFile->text();
    in.shader1 = m_d.files.Shader1->text();
    in.shader2 = m_d.files.Shader2->text();
    in.readmePath = tagOf(m_d.files.ReadmeFile);
    return in;
}

QString failureDetails(const ProcessOutcome &outcome, const QString &commandLine)
{
    QString reason;
    if (!outcome.started)
        reason = QStringLiteral("The archiver could not be started.");
    else if (!outcome.normalExit)
        reason = QStringLiteral("The archiver stopped before it had finished.");
    else
        reason = QStringLiteral("The archiver ended with exit code %1.").arg(outcome.exitCode);
    QString details = reason + QStringLiteral("\n\nCommand line:\n") + commandLine;
    if (!outcome.output.trimmed().isEmpty())
        details += QStringLiteral("\n\nArchiver output:\n") + outcome.output.trimmed();
    return details;
}

// Starts the archiver and waits for it; reports a failure itself.
bool Build::runArchiver(const QString &commandLine, const QString &archiveName, bool askToWait)
{
    auto process = m_platform.launch(commandLine, WindowStyle::NormalFocus);
    if (!process->started()) {
        message(failureText, FlagsExclamation, failureTitle, failureDetails(process->waitForEnd({}), commandLine));
        return false;
    }
    if (askToWait)
        message(QStringLiteral("Please press OK when the archiver has finished processing files."), FlagsInformation);
    // The staged copies must outlive the archiver's reading of them, and only
    // a finished, successful archiver makes a package worth announcing.
    const ProcessOutcome outcome
        = process->waitForEnd(QStringLiteral("Waiting for the archiver to finish %1...").arg(archiveName));
    if (!outcome.succeeded()) {
        message(failureText, FlagsExclamation, failureTitle, failureDetails(outcome, commandLine));
        return false;
    }
    return true;
}

void Build::run()
{
    saveSettingsRecord(m_store, SettingsControls{m_d.chkAutosave, m_d.ReadmePK3, m_d.SaveLocation, m_d.cOption1,
                                                 m_d.cOption2});
    if (const auto failure = preBuildCheck(m_d)) {
        message(*failure, FlagsExclamation);
        return;
    }
    if (const auto unsafe = unsafeInputMessage(m_d)) {
        message(*unsafe, FlagsExclamation);
        return;
    }

    // All names first, then all paths.
    const std::array<QLineEdit *, 7> trimOrder{m_d.files.Levelshot, m_d.files.ReadmeFile, m_d.files.BSP,
                                               m_d.files.AAS, m_d.files.ArenaFile, m_d.files.Shader1,
                                               m_d.files.Shader2};
    for (QLineEdit *slot : trimOrder)
        slot->setText(trimBlanks(slot->text()));
    for (QLineEdit *slot : trimOrder)
        setTag(slot, trimBlanks(tagOf(slot)));

    if (m_d.chkAutosave->isChecked()) {
        // The store, not the menu captions, knows which slots are in use now.
        const auto key = ChooseProfileSlot(m_d.ShortName->text(), readSlotNames(m_store));
        if (key)
            SaveProfile(m_store, ProfileFields{m_d.ShortName, m_d.files}, *key);
    }

    CmpOptions dialog(m_d.CreateButton);
    m_platform.showModal(dialog);
    m_compression = compressionSwitch(tagOf(m_d.CreateButton));

    for (StagingFolder &folder : m_folders)
        folder.created = !DirExists(m_platform, folder.testPath);

    const std::vector<StagedSlot> copies = plannedCopies();
    if (!checkStagingPlaces(copies) || !createFolders() || !stageFiles(copies))
        return;

    const ArchiverInputs inputs = archiverInputs();
    const QString pk3Name = m_d.ShortName->text() + QStringLiteral(".pk3");
    const bool packaged = runArchiver(firstCommandLine(inputs), pk3Name, true);
    removeStaged();
    removeCreatedFolders();
    if (!packaged || !m_d.cOption2->isChecked())
        return;

    if (runArchiver(secondCommandLine(inputs), m_d.ShortName->text() + QStringLiteral(".zip"), false))
        message(QStringLiteral("The operation seems to have been a success."), FlagsInformation);
}

} // namespace

void buildPackage(Platform &platform, const SettingsStore &store, const PackageDescription &description)
{
    Build(platform, store, description).run();
}

} // namespace corvane
