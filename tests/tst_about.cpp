#include "support/TestForm.h"

#include "about/Aboutbox.h"
#include "about/HelpForm.h"
#include "widgets/LinkLabel.h"
#include "about/ProjectAddresses.h"
#include "widgets/CaptionFit.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace corvane;

namespace {

// What the user sees of the About box, as one comparable list.
QStringList lookOf(Aboutbox &box)
{
    QStringList look{box.windowTitle(), QString::number(box.width()) + QLatin1Char('x') + QString::number(box.height())};
    for (QWidget *control : box.findChildren<QWidget *>()) {
        QString text;
        if (auto *label = qobject_cast<QLabel *>(control))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            text = button->text();
        const QFont font = control->font();
        look << QStringLiteral("%1|%2|%3,%4 %5x%6|%7%8%9|%10")
                    .arg(control->objectName(), text)
                    .arg(control->x()).arg(control->y()).arg(control->width()).arg(control->height())
                    .arg(font.bold() ? "b" : "").arg(font.underline() ? "u" : "").arg(font.pointSizeF())
                    .arg(control->isVisible());
    }
    return look;
}

QString feedbackFirstLine()
{
    return QStringLiteral("Problems, Comments suggestions?");
}

void checkFeedbackLines(QLabel *prompt, QLabel *address)
{
    QCOMPARE(prompt->text(), QStringLiteral("Problems, Comments suggestions? Email:"));
    QVERIFY(prompt->wordWrap());
    const QFontMetrics metrics = prompt->fontMetrics();
    QVERIFY(metrics.horizontalAdvance(feedbackFirstLine()) <= prompt->width());
    QVERIFY(captionFits(prompt));
    // The address follows "Email:" on the second line without covering it.
    QVERIFY(address->x() >= prompt->x() + metrics.horizontalAdvance(QStringLiteral("Email:")));
    QVERIFY(qAbs(address->y() - (prompt->y() + metrics.height())) <= 3);
    QCOMPARE(address->text(), feedbackAddress());
    QVERIFY(address->font().bold());
    QVERIFY(address->x() + address->width() <= address->parentWidget()->width());
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void aboutBoxLooksTheSameEachTime();
    void aboutBoxLeavesOnlyByOk();
    void aboutBoxTexts();
    void helpWindow();
    void helpWindowFromMenu();

    void webLaunch_data();
    void webLaunch();
};

void AboutTest::cleanup()
{
    QTRY_VERIFY(!QApplication::activeModalWidget());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void AboutTest::aboutBoxLooksTheSameEachTime()
{
    TestForm t;
    t.activate();
    t.form->ShortName->setText(QStringLiteral("dm_keep"));
    QList<QStringList> looks;
    for (int showing = 0; showing < 2; ++showing) {
        t.platform.answerModal([&](QDialog &dialog) {
            auto &box = dynamic_cast<Aboutbox &>(dialog);
            QTRY_VERIFY(box.isActiveWindow());
            QCOMPARE(box.Label3->width(), box.Label1->width());
            QCOMPARE(box.Label5->width(), box.Label1->width());
            QCOMPARE(box.Label3->x(), twips(45));
            QCOMPARE(box.Label5->x(), twips(120));
            looks << lookOf(box);
            QTest::mouseClick(box.label7, Qt::LeftButton);
            QVERIFY(!box.isVisible());
            QCOMPARE(box.result(), int(QDialog::Accepted));
        });
        t.form->About->trigger();
    }
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("showModal")),
             (QStringList{"showModal Aboutbox", "showModal Aboutbox"}));
    QCOMPARE(looks.size(), 2);
    QCOMPARE(looks.at(1), looks.at(0));
    QCOMPARE(t.form->ShortName->text(), QStringLiteral("dm_keep"));
    QVERIFY(t.platform.commandLines().isEmpty());
}

void AboutTest::aboutBoxLeavesOnlyByOk()
{
    FakePlatform platform;
    Aboutbox box(platform);
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(box.size(), QSize(twips(4740), twips(1785)));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(box.isVisible());
    QVERIFY(!box.close());
    QVERIFY(box.isVisible());
    box.reject();
    QVERIFY(box.isVisible());
    QTest::keyClick(&box, Qt::Key_Return); // OK is the default button
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void AboutTest::aboutBoxTexts()
{
    FakePlatform platform;
    Aboutbox box(platform);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.Form_Activate();
    QCOMPARE(box.windowTitle(), QStringLiteral("About Corvane"));
    QCOMPARE(box.Label1->text(), QStringLiteral("Corvane for Quake 3 - 0.6"));
    QVERIFY(box.Label1->font().bold());
    QCOMPARE(box.Label1->font().pointSizeF(), 12.0);
    QCOMPARE(box.Label1->pos(), QPoint(twips(120), twips(105)));
    QCOMPARE(box.Label1->width(), box.Label1->sizeHint().width()); // sizes itself to its text
    QVERIFY(box.Label3->text().startsWith(QLatin1String("Programmed by ")));
    QVERIFY(box.Label5->text().startsWith(QLatin1String("Designed by ")));
    for (QLabel *credit : {box.Label3, box.Label5}) {
        QVERIFY(credit->font().bold());
        QVERIFY(credit->alignment().testFlag(Qt::AlignHCenter));
        QVERIFY2(captionFits(credit), qPrintable(credit->text()));
    }
    checkFeedbackLines(box.Label6, box.Label4);

    QCOMPARE(box.Label2->text(), projectWebAddress());
    QCOMPARE(box.Label2->accessibleName(), projectWebAddress());
    QVERIFY(box.Label2->font().bold());
    QVERIFY(box.Label2->font().underline());
    QCOMPARE(box.Label2->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(box.Label2->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(box.Label2->pos(), QPoint(twips(255), twips(1410)));
    QCOMPARE(box.Label2->size(), box.Label2->sizeHint());
    QVERIFY(box.Label2->x() + box.Label2->width() <= box.label7->x());

    QCOMPARE(box.Picture1->pixmap().size(), QSize(74, 31));
    QCOMPARE(box.Picture1->pos(), QPoint(twips(3480), twips(480)));
    QCOMPARE(box.label7->text(), QStringLiteral("&OK"));
    QVERIFY(box.label7->font().bold());
    QCOMPARE(box.label7->geometry(), twipsRect(3840, 1320, 855, 375));
    QVERIFY(box.label7->isDefault());
    QVERIFY(box.rect().contains(box.Label1->geometry()));
    for (QWidget *control : box.findChildren<QWidget *>()) {
        QVERIFY2(captionFits(control), qPrintable(control->objectName()));
        QVERIFY2(box.rect().contains(control->geometry()), qPrintable(control->objectName()));
    }
    box.label7->click();
}

void AboutTest::helpWindow()
{
    HelpForm help;
    QCOMPARE(help.windowTitle(), QStringLiteral("Help not implemented yet..."));
    QCOMPARE(help.size(), QSize(twips(3555), twips(2880)));
    QCOMPARE(help.minimumSize(), help.maximumSize());
    QVERIFY(help.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!help.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!help.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(help.Label1->text(),
             QStringLiteral("Version 0.6 is a pre-release, and does not contain all the features to be implemented. "
                            "If you are a mapper and have any suggestions for features, please visit our website "
                            "(Help -> Online) and fill out the contact form"));
    QVERIFY(help.Label1->wordWrap());
    QCOMPARE(help.Label1->geometry(), twipsRect(120, 120, 3255, 975));
    QVERIFY2(captionFits(help.Label1), "the notice must show whole");
    checkFeedbackLines(help.Label2, help.Label3);
    QCOMPARE(help.Picture1->pixmap().size(), QSize(74, 31));
    QCOMPARE(help.Picture1->pos(), QPoint(twips(1080), twips(1200)));
    QCOMPARE(help.Command1->text(), QStringLiteral("Done"));
    QVERIFY(help.Command1->font().bold());
    QCOMPARE(help.Command1->geometry(), twipsRect(960, 2280, 1575, 495));
    for (QWidget *control : help.findChildren<QWidget *>()) {
        QVERIFY2(captionFits(control), qPrintable(control->objectName()));
        QVERIFY2(help.rect().contains(control->geometry()), qPrintable(control->objectName()));
    }

    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QTest::mouseClick(help.Command1, Qt::LeftButton);
    QVERIFY(!help.isVisible());
}

void AboutTest::helpWindowFromMenu()
{
    TestForm t;
    t.activate();
    t.form->ShortName->setText(QStringLiteral("dm_keep"));
    for (int showing = 0; showing < 2; ++showing) {
        t.platform.answerModal([](QDialog &dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("HelpForm"));
            auto *done = dialog.findChild<QPushButton *>(QStringLiteral("Command1"));
            QVERIFY(done);
            done->click();
            QVERIFY(!dialog.isVisible());
        });
        t.form->morehelp->trigger();
    }
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("showModal")),
             (QStringList{"showModal HelpForm", "showModal HelpForm"}));
    QCOMPARE(t.form->ShortName->text(), QStringLiteral("dm_keep"));
    QCOMPARE(t.form->TreeView1->topLevelItemCount(), 2);
}

void AboutTest::webLaunch_data()
{
    QTest::addColumn<bool>("startStarts");
    QTest::addColumn<bool>("explorerStarts");
    QTest::addColumn<QStringList>("expected");

    const QString start = QStringLiteral("start.exe https://corvane.example.org/");
    const QString explorer = QStringLiteral("explorer.exe https://corvane.example.org/");
    QTest::newRow("start opens it") << true << true << QStringList{start};
    QTest::newRow("no start.exe") << false << true << QStringList{start, explorer};
    QTest::newRow("neither starts") << false << false << QStringList{start, explorer};
}

void AboutTest::webLaunch()
{
    QFETCH(bool, startStarts);
    QFETCH(bool, explorerStarts);
    QFETCH(QStringList, expected);
    QCOMPARE(projectWebAddress(), QStringLiteral("https://corvane.example.org/"));

    auto script = [&](FakePlatform &platform) {
        platform.scriptLaunch(ProcessOutcome{startStarts, startStarts, 0, QString()});
        platform.scriptLaunch(ProcessOutcome{explorerStarts, explorerStarts, 0, QString()});
    };

    TestForm menu;
    menu.activate();
    menu.platform.clearCalls();
    script(menu.platform);
    menu.form->Webhelp->trigger();
    QCOMPARE(menu.platform.commandLines(), expected);
    QCOMPARE(menu.platform.calls().size(), expected.size()); // no message, nothing else

    FakePlatform byLabel;
    script(byLabel);
    {
        Aboutbox box(byLabel);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.Label2, Qt::LeftButton);
        box.label7->click();
    }
    QCOMPARE(byLabel.commandLines(), expected);
    QCOMPARE(byLabel.calls().size(), expected.size());

    FakePlatform byKey;
    script(byKey);
    {
        Aboutbox box(byKey);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(box.Label2, Qt::Key_Space);
        box.label7->click();
    }
    QCOMPARE(byKey.commandLines(), expected);
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
