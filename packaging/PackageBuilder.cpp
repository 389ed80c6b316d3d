#include "packaging/PackageBuilder.h"

#include "package/PreBuildCheck.h"
#include "package/SlotFacts.h"
#include "packaging/ArchiveCheck.h"
#include "packaging/CmpOptions.h"
#include "packaging/CommandLines.h"
#include "packaging/DirExists.h"
#include "packaging/InputSafety.h"
#include "platform/Platform.h"
#include "platform/Product.h"
#include "profiles/ProfileRecord.h"
#include "profiles/SettingsRecord.h"
#include "profiles/SettingsStore.h"
#include "widgets/Tag.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

const QString failureTitle = QStringLiteral("Wexbridge");
const QString failureText = QStringLiteral(
    "Sorry, there was an error creating the file. Please fill in the feedback form at the address in the "
    "About box and we will try to help you.");

struct StagingMark {
    const StagingFolder *folder;
    bool created = false; // did not exist before this build
};

struct StagedSlot {
    Slot slot;
    QLineEdit *box;
    QString target; // prefix + name

    QString label() const { return QLatin1String(factsOf(slot).label); }
};

class Build {
public:
    Build(Platform &platform, const SettingsStore &store, const PackageDescription &description)
        : m_platform(platform)
        , m_store(store)
        , m_d(description)
    {
    }

    void run();

private:
    void message(const QString &text, int flags, const QString &title = productName(), const QString &details = {})
    {
        m_platform.messageBox(text, flags, title, details);
    }
    std::vector<StagedSlot> plannedCopies() const;
    bool readmeIsPackaged() const { return m_d.ReadmePK3->isChecked() || m_d.cOption2->isChecked(); }
    std::optional<QString> emptyNeededSlot() const;
    bool checkStagingPlaces(const std::vector<StagedSlot> &copies);
    bool createFolders();
    bool stageFiles(const std::vector<StagedSlot> &copies);
    // What one archiver run is to make.
    struct ArchiveRun {
        QString commandLine;
        QString archivePath; // save location + archive name
        QString archiveName;
        QStringList entries; // what it must hold
        bool askToWait = false;
    };
    // An archive at the save location before this Create, copied aside so
    // that a failed Create can put it back.
    struct Earlier {
        QString archivePath;
        std::optional<FileStamp> stamp; // null when there was none
        QStringList entries;            // as the game listed them
        QString copy;                   // its copy; empty when there is none to remove
    };
    bool setAsideEarlier(const QString &archivePath);
    const Earlier &earlier(const QString &archivePath) const;
    QString putBackEarlier();
    void dropEarlierCopies();
    bool archive(const ArchiveRun &run);
    std::optional<QString> runArchiver(const ArchiveRun &run);
    QStringList pk3Entries() const;
    void removeStaged();
    void removeCreatedFolders();
    void failBuild(const QString &text);
    ArchiverInputs archiverInputs() const;
    bool wasCreated(const StagingFolder *folder) const;

    Platform &m_platform;
    const SettingsStore &m_store;
    const PackageDescription &m_d;
    std::vector<StagingMark> m_folders;
    std::vector<StagedSlot> m_staged; // copies this build made, in copy order
    std::vector<Earlier> m_earlier;
    QString m_compression;
};

std::vector<StagedSlot> Build::plannedCopies() const
{
    std::vector<StagedSlot> copies;
    for (const Slot slot : archiverOrder) {
        QLineEdit *box = slotBox(m_d.files, slot);
        // The shaders are optional: an empty one is left out, untrimmed.
        const bool optional = slot == Slot::Shader1 || slot == Slot::Shader2;
        if ((optional && slotText(box).isEmpty()) || (slot == Slot::ReadmeFile && !readmeIsPackaged()))
            continue;
        copies.push_back({slot, box, stagedPath(slot, slotText(box))});
    }
    return copies;
}

// The slots the four rules leave unchecked but the package needs; the readme
// only when it goes into the .pk3 or beside it into the .zip.
std::optional<QString> Build::emptyNeededSlot() const
{
    for (const Slot slot : {Slot::Levelshot, Slot::AAS, Slot::ReadmeFile}) {
        if (!trimBlanks(slotText(slotBox(m_d.files, slot))).isEmpty())
            continue;
        if (slot == Slot::ReadmeFile && !readmeIsPackaged())
            continue;
        const QString label = QLatin1String(factsOf(slot).label);
        const QString article =
            QStringLiteral("AEIOU").contains(label.at(0)) ? QStringLiteral("an") : QStringLiteral("a");
        return QStringLiteral("The %1 slot is empty, so there is nothing to copy into the package. "
                              "Please select %2 %1 to add.")
            .arg(label, article);
    }
    return std::nullopt;
}

// The staging places are shared with whatever else is on the drive: refuse
// to build over a file that is already there rather than replace and then
// delete it, and refuse two slots that would land on one name.
bool Build::checkStagingPlaces(const std::vector<StagedSlot> &copies)
{
    for (size_t i = 0; i < copies.size(); ++i) {
        const QString &target = copies[i].target;
        for (size_t j = 0; j < i; ++j) {
            if (target.compare(copies[j].target, Qt::CaseInsensitive) == 0) {
                message(QStringLiteral("The %1 and the %2 would both be staged as \"%3\". Please select "
                                       "different files.")
                            .arg(copies[j].label(), copies[i].label(), m_platform.displayPath(target)),
                        FlagsExclamation);
                return false;
            }
        }
        if (m_platform.fileExists(target)) {
            message(QStringLiteral("The file \"%1\" is already in the staging folder, where the %2 \"%3\" must "
                                   "be copied. Corvane does not replace it; please move it away and press "
                                   "Create again.")
                        .arg(m_platform.displayPath(target), copies[i].label(), slotText(copies[i].box)),
                    FlagsExclamation);
            return false;
        }
    }
    return true;
}

bool Build::createFolders()
{
    for (StagingMark &mark : m_folders) {
        if (!mark.created)
            continue;
        const QString path = QLatin1String(mark.folder->createPath);
        QString error;
        if (!m_platform.makeFolder(path, &error)) {
            mark.created = false;
            failBuild(QStringLiteral("The staging folder \"%1\" could not be created: %2.")
                          .arg(m_platform.displayPath(path), error));
            return false;
        }
    }
    return true;
}

bool Build::stageFiles(const std::vector<StagedSlot> &copies)
{
    for (const StagedSlot &copy : copies) {
        QString error;
        if (!m_platform.copyFile(slotPath(copy.box), copy.target, &error)) {
            failBuild(QStringLiteral("The %1 \"%2\" could not be copied to \"%3\": %4.")
                          .arg(copy.label(), slotPath(copy.box), m_platform.displayPath(copy.target), error));
            return false;
        }
        m_staged.push_back(copy);
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
    for (const StagedSlot &copy : std::as_const(m_staged))
        m_platform.deleteFile(copy.target);
    m_staged.clear();
}

bool Build::wasCreated(const StagingFolder *folder) const
{
    for (const StagingMark &mark : m_folders) {
        if (mark.folder == folder)
            return mark.created;
    }
    return false;
}

void Build::removeCreatedFolders()
{
    for (const StagingFolder *folder : folderRemovalOrder) {
        if (wasCreated(folder))
            m_platform.removeEmptyFolder(QLatin1String(folder->createPath));
    }
}

ArchiverInputs Build::archiverInputs() const
{
    ArchiverInputs in;
    in.programFolder = m_platform.programFolder();
    in.compression = m_compression;
    in.saveLocation = m_d.SaveLocation->text();
    in.shortName = m_d.ShortName->text();
    for (const StagedSlot &copy : m_staged)
        in.staged.push_back({copy.slot, copy.target});
    in.readmeInPackage = m_d.ReadmePK3->isChecked();
    in.readmePath = slotPath(m_d.files.ReadmeFile);
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

QStringList Build::pk3Entries() const
{
    QStringList entries;
    for (const StagedSlot &copy : m_staged) {
        if (copy.slot != Slot::ReadmeFile || m_d.ReadmePK3->isChecked())
            entries << packageEntry(copy.slot, slotText(copy.box));
    }
    return entries;
}

// The archiver updates what it finds at the save location, and only the
// check after it can tell whether that went well: by then the old archive
// has been replaced. So it is noted and copied aside first.
bool Build::setAsideEarlier(const QString &archivePath)
{
    Earlier earlier{archivePath, m_platform.fileStamp(archivePath), {}, {}};
    if (earlier.stamp) {
        earlier.entries = m_platform.listZip(archivePath).names();
        QString error;
        const std::optional<QString> copy = m_platform.setAside(archivePath, &error);
        if (!copy) {
            failBuild(QStringLiteral("Corvane could not keep a copy of \"%1\", which the archiver would update, to "
                                     "put back should the update fail: %2.")
                          .arg(m_platform.displayPath(archivePath), error));
            return false;
        }
        earlier.copy = *copy;
    }
    m_earlier.push_back(earlier);
    return true;
}

const Build::Earlier &Build::earlier(const QString &archivePath) const
{
    return *std::find_if(m_earlier.cbegin(), m_earlier.cend(),
                         [&](const Earlier &e) { return e.archivePath == archivePath; });
}

// A failed Create leaves the save location as it found it, byte for byte;
// says what it did for the failure's details.
QString Build::putBackEarlier()
{
    QStringList done;
    for (Earlier &earlier : m_earlier) {
        const std::optional<FileStamp> now = m_platform.fileStamp(earlier.archivePath);
        const QString shown = m_platform.displayPath(earlier.archivePath);
        if (now == earlier.stamp)
            continue;
        if (!earlier.stamp) {
            if (m_platform.deleteFile(earlier.archivePath))
                done << QStringLiteral("\"%1\", made by this Create, was removed.").arg(shown);
            else
                done << QStringLiteral("\"%1\", made by this Create, could not be removed.").arg(shown);
            continue;
        }
        QString error;
        if (m_platform.copyFile(earlier.copy, earlier.archivePath, &error)) {
            done << QStringLiteral("\"%1\" is as it was before Create.").arg(shown);
        } else {
            // The copy is now the only one: it stays where it is.
            done << QStringLiteral("\"%1\" could not be put back (%2); it is kept as \"%3\".")
                        .arg(shown, error, earlier.copy);
            earlier.copy.clear();
        }
    }
    return done.isEmpty() ? QString() : QStringLiteral("\n\n") + done.join(QLatin1Char(' '));
}

void Build::dropEarlierCopies()
{
    for (Earlier &earlier : m_earlier) {
        if (!earlier.copy.isEmpty())
            m_platform.deleteFile(earlier.copy);
        earlier.copy.clear();
    }
}

// One archiver run; after a failure, the earlier archives are put back
// before the user hears of it.
bool Build::archive(const ArchiveRun &run)
{
    const std::optional<QString> details = runArchiver(run);
    if (!details)
        return true;
    const QString putBack = putBackEarlier();
    message(failureText, FlagsExclamation, failureTitle, *details + putBack);
    return false;
}

// Starts the archiver, waits for it and checks what it made; the failure's
// details, or nothing when it made what it should.
std::optional<QString> Build::runArchiver(const ArchiveRun &run)
{
    const Earlier &before = earlier(run.archivePath);
    auto process = m_platform.launch(run.commandLine, WindowStyle::NormalFocus);
    if (!process->started()) {
        const ProcessOutcome notStarted{false, false, -1, process->startError()};
        return failureDetails(notStarted, run.commandLine);
    }
    if (run.askToWait)
        message(QStringLiteral("Please press OK when the archiver has finished processing files."), FlagsInformation);
    // The staged copies must outlive the archiver's reading of them, and only
    // a finished, successful archiver makes a package worth announcing.
    const ProcessOutcome outcome =
        process->waitForEnd(QStringLiteral("Waiting for the archiver to finish %1...").arg(run.archiveName));
    // An archiver ended by force (Stop's last resort, Task Manager, which may
    // even leave exit code 0) had no chance to remove its unfinished archive.
    const QString leftover = archiverTemporaryFile(run.archivePath, process->taskId());
    if (m_platform.fileExists(leftover))
        m_platform.deleteFile(leftover);
    if (!outcome.succeeded())
        return failureDetails(outcome, run.commandLine);
    // An exit code is the archiver's word; the archive itself is the proof.
    const std::optional<QString> problem =
        archiveProblem(m_platform.displayPath(run.archivePath), before.stamp, m_platform.fileStamp(run.archivePath),
                       m_platform.inspectZip(run.archivePath), run.entries, before.entries);
    if (!problem)
        return std::nullopt;
    QString details = failureDetails(outcome, run.commandLine);
    details.replace(0, details.indexOf(QLatin1Char('\n')),
                    QStringLiteral("The archiver reported success, but its archive fails a check: ") + *problem);
    return details;
}

void Build::run()
{
    saveSettingsRecord(m_store,
                       SettingsControls{m_d.chkAutosave, m_d.ReadmePK3, m_d.SaveLocation, m_d.cOption1, m_d.cOption2});
    if (const auto failure = preBuildCheck(m_d)) {
        message(*failure, FlagsExclamation);
        return;
    }
    if (const auto empty = emptyNeededSlot()) {
        message(*empty, FlagsExclamation);
        return;
    }
    if (const auto unsafe = unsafeInputMessage(m_d)) {
        message(*unsafe, FlagsExclamation);
        return;
    }

    // All names first, then all paths.
    for (const Slot slot : trimmingOrder) {
        QLineEdit *box = slotBox(m_d.files, slot);
        setSlot(box, trimBlanks(slotText(box)), slotPath(box));
    }
    for (const Slot slot : trimmingOrder) {
        QLineEdit *box = slotBox(m_d.files, slot);
        setSlot(box, slotText(box), trimBlanks(slotPath(box)));
    }

    if (m_d.chkAutosave->isChecked()) {
        // The store, not the menu captions, knows which slots are in use now.
        const auto key = ChooseProfileSlot(m_d.ShortName->text(), readSlotNames(m_store));
        if (key)
            SaveProfile(m_store, ProfileFields{m_d.ShortName, m_d.files}, *key);
    }

    CmpOptions dialog(m_d.CreateButton);
    m_platform.showModal(dialog);
    m_compression = compressionSwitch(tagOf(m_d.CreateButton));

    for (const StagingFolder *folder : folderCreationOrder)
        m_folders.push_back({folder, !DirExists(m_platform, QLatin1String(folder->testPath))});

    const std::vector<StagedSlot> copies = plannedCopies();
    if (!checkStagingPlaces(copies) || !createFolders() || !stageFiles(copies))
        return;

    const ArchiverInputs inputs = archiverInputs();
    const QString base = m_d.SaveLocation->text() + m_d.ShortName->text();
    const QString pk3Path = base + QStringLiteral(".pk3");
    const QString zipPath = base + QStringLiteral(".zip");
    const QString pk3Name = m_d.ShortName->text() + QStringLiteral(".pk3");
    if (!setAsideEarlier(pk3Path) || (m_d.cOption2->isChecked() && !setAsideEarlier(zipPath))) {
        dropEarlierCopies();
        return;
    }
    const bool packaged = archive({firstCommandLine(inputs), pk3Path, pk3Name, pk3Entries(), true});
    removeStaged();
    removeCreatedFolders();
    if (packaged && m_d.cOption2->isChecked()) {
        const QStringList zipEntries{pk3Name, QFileInfo(inputs.readmePath).fileName()};
        if (archive({secondCommandLine(inputs), zipPath, m_d.ShortName->text() + QStringLiteral(".zip"), zipEntries,
                     false}))
            message(QStringLiteral("The operation seems to have been a success."), FlagsInformation);
    }
    dropEarlierCopies();
}

} // namespace

void buildPackage(Platform &platform, const SettingsStore &store, const PackageDescription &description)
{
    Build(platform, store, description).run();
}

} // namespace corvane
