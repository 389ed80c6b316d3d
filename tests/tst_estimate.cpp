#include "support/TestForm.h"

#include "packaging/SizeEstimate.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace corvane;

namespace {

// Slot lengths in the order readme, levelshot, AAS, BSP, arena, shader 1,
// shader 2; -1 leaves the slot empty.
using Lengths = QList<qint64>;

QStringList shown(const Form1 &form)
{
    return {form.cursize->text(), form.zipsize->text(), form.downloadtime->text()};
}

// Fills the slots with files of the given lengths; big ones are sparse so the
// test stays fast. Returns false when the file system refuses a size.
bool fillSlots(TestForm &t, const Lengths &lengths)
{
    QLineEdit *const boxes[] = {t.form->ReadmeFile, t.form->Levelshot, t.form->AAS,    t.form->BSP,
                                t.form->ArenaFile,  t.form->Shader1,   t.form->Shader2};
    for (int i = 0; i < lengths.size(); ++i) {
        if (lengths[i] < 0)
            continue;
        const QString name = QStringLiteral("slot%1.file").arg(i);
        const QString path = t.platform.makeFile(name, QByteArray());
        QFile file(path);
        if (!file.resize(lengths[i]))
            return false;
        TestForm::fill(boxes[i], name, path);
    }
    return true;
}

const QStringList NoValue{"[value] MB", "[value] MB", "[value] mins at 33.6"};

} // namespace

class TestEstimate : public QObject {
    Q_OBJECT

private slots:
    void estimates_data();
    void estimates();
    void pressingTwiceGivesTheSameTexts();
    void screenReadersHearTheEstimate();
    void noFileShowsNoValueEvenAfterAnEstimate();
    void missingFileAddsNothing();
    void treeEntriesNeverCount();
    void numberText_data();
    void numberText();
    void plainNumberText_data();
    void plainNumberText();
    void leadingCharacters_data();
    void leadingCharacters();
};

void TestEstimate::estimates_data()
{
    QTest::addColumn<Lengths>("lengths");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("readme 2048 and BSP 1 MiB")
        << Lengths{2048, -1, -1, 1048576} << QStringList{"1.00 MB", "0.25 MB", "0.7 mins at 33.6"};
    QTest::newRow("six files, cut not rounded") << Lengths{3000, 60000, 500000, 2000000, 200, 4000, -1}
                                                << QStringList{"2.44 MB", "0.68 MB", "2.0 mins at 33.6"};
    QTest::newRow("no readme, BSP of exactly 1 MiB")
        << Lengths{-1, -1, -1, 1048576} << QStringList{"1 MB", "0.25 MB", "0.7 mins at 33.6"};
    QTest::newRow("each slot's factor") << Lengths{-1, 1048576, 1048576, -1, 1048576, 1048576, 1048576}
                                        << QStringList{"5 MB", "2.8 MB", "8.5 mins at 33.6"};
    QTest::newRow("3 MiB levelshot is 2.1 MiB compressed")
        << Lengths{-1, 3145728} << QStringList{"3 MB", "2.1 MB", "6.4 mins at 33.6"};
    QTest::newRow("123.5 minutes") << Lengths{-1, -1, -1, 169967616}
                                   << QStringList{"162. MB", "40.5 MB", "123 mins at 33.6"};
    QTest::newRow("1234.5 minutes") << Lengths{-1, -1, -1, 1698988032}
                                    << QStringList{"1620 MB", "405. MB", "1234 mins at 33.6"};
    QTest::newRow("one byte, no exponent shown") << Lengths{1} << QStringList{"0.00 MB", "0.00 MB", "0.0 mins at 33.6"};
    QTest::newRow("empty file") << Lengths{0} << QStringList{"0 MB", "0 MB", "0 mins at 33.6"};
    QTest::newRow("3 GiB readme") << Lengths{3LL << 30} << QStringList{"3072 MB", "3072 MB", "9362 mins at 33.6"};
    QTest::newRow("12345 MB BSP") << Lengths{-1, -1, -1, 12945401447LL}
                                  << QStringList{"12345 MB", "3086 MB", "9406 mins at 33.6"};
}

void TestEstimate::estimates()
{
    QFETCH(Lengths, lengths);
    QFETCH(QStringList, expected);
    TestForm t;
    t.activate();
    if (!fillSlots(t, lengths))
        QSKIP("the file system does not take a sparse file this big");
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), expected);
    QVERIFY(t.platform.messages().isEmpty());
}

// AT-SPI reports what the accessibility interface says: the value as its
// name, the row caption as its description.
void TestEstimate::screenReadersHearTheEstimate()
{
    TestForm t;
    t.activate();
    QVERIFY(fillSlots(t, {2048, -1, -1, 1048576}));
    t.form->btnEstimate->click();
    const struct {
        QLabel *value;
        const char *name;
        const char *description;
    } rows[] = {{t.form->cursize, "1.00 MB", "Total Size:"},
                {t.form->zipsize, "0.25 MB", "Compressed Size:"},
                {t.form->downloadtime, "0.7 mins at 33.6", "Download time:"}};
    for (const auto &row : rows) {
        QAccessibleInterface *reported = QAccessible::queryAccessibleInterface(row.value);
        QVERIFY(reported);
        QCOMPARE(reported->text(QAccessible::Name), QString(row.name));
        QCOMPARE(reported->text(QAccessible::Description), QString(row.description));
    }
}

void TestEstimate::pressingTwiceGivesTheSameTexts()
{
    TestForm t;
    t.activate();
    QVERIFY(fillSlots(t, {3000, 60000, 500000, 2000000, 200, 4000, -1}));
    t.form->btnEstimate->click();
    const QStringList first = shown(*t.form);
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), first);

    // Without a readme the figures are still computed afresh, not left standing.
    TestForm::fill(t.form->ReadmeFile, QString(), QString());
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), (QStringList{"2.44 MB", "0.68 MB", "2.0 mins at 33.6"}));
}

void TestEstimate::noFileShowsNoValueEvenAfterAnEstimate()
{
    TestForm t;
    t.activate();
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), NoValue);
    QVERIFY(fillSlots(t, {2048, -1, -1, 1048576}));
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), (QStringList{"1.00 MB", "0.25 MB", "0.7 mins at 33.6"}));
    t.form->ClearButton_Click();
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), NoValue);
}

void TestEstimate::missingFileAddsNothing()
{
    TestForm t;
    t.activate();
    QVERIFY(fillSlots(t, {-1, -1, -1, 1048576}));
    TestForm::fill(t.form->ReadmeFile, "gone.txt", t.platform.root() + "/gone.txt");
    TestForm::fill(t.form->Levelshot, "gone.jpg", t.platform.root() + "/gone.jpg");
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), (QStringList{"1 MB", "0.25 MB", "0.7 mins at 33.6"}));

    QVERIFY(QFile::remove(t.form->BSP->property("Tag").toString()));
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), NoValue);
}

void TestEstimate::treeEntriesNeverCount()
{
    TestForm t;
    t.activate();
    QVERIFY(fillSlots(t, {2048, -1, -1, 1048576}));
    const QString texture = t.platform.makeFile("textures/big.tga", QByteArray(500000, 'x'));
    auto *item = new QTreeWidgetItem(QStringList{texture});
    item->setData(0, Qt::UserRole, texture);
    t.form->TreeView1->topLevelItem(0)->addChild(item);
    t.form->btnEstimate->click();
    QCOMPARE(shown(*t.form), (QStringList{"1.00 MB", "0.25 MB", "0.7 mins at 33.6"}));
}

void TestEstimate::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 1.0 << "1";
    QTest::newRow("fraction") << 0.5 << "0.5";
    QTest::newRow("no trailing zeros") << 2.25 << "2.25";
    QTest::newRow("15 digits") << 2.0999999999999996 << "2.1";
    QTest::newRow("small, still plain") << 0.0001 << "0.0001";
    QTest::newRow("smaller: exponent") << 0.00001 << "1E-05";
    QTest::newRow("15 whole digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("16 whole digits") << 1234567890123456.0 << "1.23456789012346E+15";
}

void TestEstimate::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(corvane::numberText(value), text);
    bool ok = false;
    QCOMPARE(text.toDouble(&ok), QString::number(value, 'g', 15).toDouble());
    QVERIFY(ok);
}

void TestEstimate::plainNumberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("ordinary") << 2.448272705078125 << "2.44827270507813";
    QTest::newRow("1E-05") << 0.00001 << "0.00001";
    QTest::newRow("one byte in MiB") << 1.0 / 1048576 << "0.00000095367431640625";
    QTest::newRow("large") << 1e15 << "1000000000000000";
}

void TestEstimate::plainNumberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(corvane::plainNumberText(value), text);
}

void TestEstimate::leadingCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("cut");
    QTest::newRow("2.44…") << "2.448272705" << 4 << "2.44";
    QTest::newRow("0.68…") << "0.688352584" << 4 << "0.68";
    QTest::newRow("2.09… minutes") << "2.0978364" << 3 << "2.0";
    QTest::newRow("12.5 minutes") << "12.5" << 3 << "12.";
    QTest::newRow("short") << "1" << 4 << "1";
    QTest::newRow("123.4 minutes") << "123.4" << 3 << "123";
    QTest::newRow("1234.5 minutes") << "1234.5" << 3 << "1234";
    QTest::newRow("12345.6 MB") << "12345.6" << 4 << "12345";
    QTest::newRow("whole number longer than cut") << "98765" << 3 << "98765";
}

void TestEstimate::leadingCharacters()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, cut);
    QCOMPARE(corvane::leadingCharacters(text, length), cut);
}

QTEST_MAIN(TestEstimate)
#include "tst_estimate.moc"
