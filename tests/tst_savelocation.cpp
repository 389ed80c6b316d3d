#include "support/TestForm.h"

#include "packaging/CBrowseDlg.h"

#include <QDir>
#include <QPushButton>
#include <QtTest>

using namespace corvane;

namespace {

const QString Prompt = QStringLiteral("browseForFolder Please select the location to create the final file.");
const QString NotThere =
    QStringLiteral("48|Verification Error|The specified directory does not exist; please try again.");

QString withSeparator(const QString &folder)
{
    return folder + QDir::separator();
}

} // namespace

class TestSaveLocation : public QObject {
    Q_OBJECT

private slots:
    void chosenFolderGetsOneSeparator_data();
    void chosenFolderGetsOneSeparator();
    void cancelKeepsOldLocation();
    void missingFolderBringsMessageAndNewBrowser();
    void cancelAfterErrorKeepsOldLocation();
    void hiddenFolderIsAccepted();
    void emptyFolderIsAccepted();
    void browserPassesPromptAndOwner();
    void mainWindowIsActiveAgain();
};

void TestSaveLocation::chosenFolderGetsOneSeparator_data()
{
    QTest::addColumn<QString>("relative"); // below the fake's root; "/" means the root of the file system
    QTest::addColumn<bool>("rootOfFileSystem");
    QTest::newRow("/maps") << "maps" << false;
    QTest::newRow("/maps/") << "maps/" << false;
    QTest::newRow("/") << QString() << true;
}

void TestSaveLocation::chosenFolderGetsOneSeparator()
{
    QFETCH(QString, relative);
    QFETCH(bool, rootOfFileSystem);
    TestForm t;
    t.activate();
    QString chosen;
    QString expected;
    if (rootOfFileSystem) {
        chosen = QDir::toNativeSeparators(QDir::rootPath());
        expected = chosen;
    } else {
        QVERIFY(QDir(t.platform.root()).mkpath("maps"));
        chosen = QDir::toNativeSeparators(t.platform.root() + '/' + relative);
        expected = chosen.endsWith(QDir::separator()) ? chosen : withSeparator(chosen);
    }
    t.platform.answerBrowse(chosen);
    t.form->Command8->click();
    QCOMPARE(t.form->SaveLocation->text(), expected);
    QVERIFY(!t.form->SaveLocation->text().endsWith(QString(QDir::separator()) + QDir::separator()));
    QCOMPARE(t.platform.callsStartingWith("browseForFolder "), QStringList{Prompt});
    QVERIFY(t.platform.messages().isEmpty());
}

void TestSaveLocation::cancelKeepsOldLocation()
{
    TestForm t;
    t.activate();
    t.form->SaveLocation->setText("/old/place/");
    t.platform.answerBrowse(QString());
    t.form->Command8->click();
    QCOMPARE(t.form->SaveLocation->text(), QString("/old/place/"));
    QVERIFY(t.platform.messages().isEmpty());
}

void TestSaveLocation::missingFolderBringsMessageAndNewBrowser()
{
    TestForm t;
    t.activate();
    t.form->SaveLocation->setText("/old/place/");
    const QString missing = QDir::toNativeSeparators(t.platform.root() + "/not-there");
    const QString good = QDir::toNativeSeparators(t.platform.root());
    t.platform.answerBrowse(missing);
    t.platform.answerBrowse(good);
    t.platform.clearCalls();
    t.form->Command8->click();
    QCOMPARE(t.platform.calls(), (QStringList{Prompt, "folderExists " + missing, "messageBox " + NotThere, Prompt,
                                              "folderExists " + good}));
    QCOMPARE(t.form->SaveLocation->text(), withSeparator(good));
}

void TestSaveLocation::cancelAfterErrorKeepsOldLocation()
{
    TestForm t;
    t.activate();
    t.form->SaveLocation->setText("/old/place/");
    t.platform.answerBrowse(QDir::toNativeSeparators(t.platform.root() + "/not-there"));
    t.platform.answerBrowse(QString());
    t.form->Command8->click();
    QCOMPARE(t.platform.messages(), QStringList{NotThere});
    QCOMPARE(t.platform.callsStartingWith("browseForFolder ").size(), 2);
    QCOMPARE(t.form->SaveLocation->text(), QString("/old/place/"));
}

void TestSaveLocation::hiddenFolderIsAccepted()
{
    TestForm t;
    t.activate();
    QVERIFY(QDir(t.platform.root()).mkpath(".hidden"));
    const QString hidden = QDir::toNativeSeparators(t.platform.root() + "/.hidden");
    t.platform.answerBrowse(hidden);
    t.form->Command8->click();
    QVERIFY(t.platform.messages().isEmpty());
    QCOMPARE(t.form->SaveLocation->text(), withSeparator(hidden));
}

void TestSaveLocation::emptyFolderIsAccepted()
{
    TestForm t;
    t.activate();
    QVERIFY(QDir(t.platform.root()).mkpath("empty"));
    const QString empty = QDir::toNativeSeparators(t.platform.root() + "/empty");
    t.platform.answerBrowse(empty);
    t.form->Command8->click();
    QVERIFY(t.platform.messages().isEmpty());
    QCOMPARE(t.form->SaveLocation->text(), withSeparator(empty));
}

void TestSaveLocation::browserPassesPromptAndOwner()
{
    // Owner and prompt reach the platform as set; a path is cut at a NUL.
    struct Recorder : FakePlatform {
        QWidget *owner = reinterpret_cast<QWidget *>(1);
        QString browseForFolder(const QString &prompt, QWidget *o) override
        {
            owner = o;
            return FakePlatform::browseForFolder(prompt, o);
        }
    } platform;
    QWidget window;
    CBrowseDlg browser(platform);
    browser.ParentHWnd(&window);
    browser.Prompt("Pick one");
    platform.answerBrowse(QString("/maps") + QChar(u'\0') + "rest");
    QCOMPARE(browser.ShowBrowseDlg(), QString("/maps"));
    QCOMPARE(platform.owner, &window);
    QCOMPARE(platform.calls(), QStringList{"browseForFolder Pick one"});
}

void TestSaveLocation::mainWindowIsActiveAgain()
{
    // A browser that leaves another window active behind it.
    struct StealingFocus : FakePlatform {
        QWidget other;
        QString browseForFolder(const QString &prompt, QWidget *owner) override
        {
            other.show();
            other.activateWindow();
            if (!QTest::qWaitForWindowActive(&other))
                qWarning("the other window did not become active");
            return FakePlatform::browseForFolder(prompt, owner);
        }
    } platform;
    Form1 form(platform);
    form.Form_Activate();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.Command8->setFocus();
    platform.answerBrowse(QString());
    form.Command8->click();
    QTRY_COMPARE(QApplication::activeWindow(), &form);
    QCOMPARE(QApplication::focusWidget(), form.Command8);
    platform.other.hide();
}

QTEST_MAIN(TestSaveLocation)
#include "tst_savelocation.moc"
