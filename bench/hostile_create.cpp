// One Create through the real window, builder, launcher, zip.exe and check,
// with whatever lies at the save location; bench/hostile.py judges what it
// leaves. Prints each message box as "flags|title|text" and its details.
// Usage: corvane_bench_hostile <work folder> <program folder>
//   <work folder>/src holds q3dm99.{jpg,aas,bsp,txt,arena}; the package is
//   <work folder>/out/q3dm99.pk3; the program's data goes to <work folder>/data.
#include "app/Form1.h"
#include "package/PackageDescription.h"
#include "package/SlotFacts.h"
#include "packaging/CmpOptions.h"
#include "platform/DesktopPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <cstdio>

using namespace corvane;

namespace {

// The desktop platform with its questions answered: default level, OK.
class AnsweringPlatform : public DesktopPlatform {
public:
    using DesktopPlatform::DesktopPlatform;

    int messageBox(const QString &text, int flags, const QString &title, const QString &details) override
    {
        std::printf("%d|%s|%s\n%s\n", flags, qPrintable(title), qPrintable(text), qPrintable(details));
        return AnswerOk;
    }
    int showModal(QDialog &dialog) override
    {
        static_cast<CmpOptions &>(dialog).Command1->click();
        return dialog.result();
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane_bench_hostile <work folder> <program folder>\n");
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    AnsweringPlatform platform(DesktopPlatformConfig{work + "/data/Corvane.conf", work + "/data",
                                                     QString::fromLocal8Bit(argv[2]), stagingFolderNames()});
    Form1 form(platform);
    form.Form_Activate();
    form.chkAutosave->setChecked(false);
    form.cOption1->setChecked(true);
    form.ShortName->setText("q3dm99");
    form.SaveLocation->setText(work + "/out/");
    const struct {
        QLineEdit *slot;
        const char *name;
    } files[] = {{form.Levelshot, "q3dm99.jpg"}, {form.AAS, "q3dm99.aas"},     {form.BSP, "q3dm99.bsp"},
                 {form.ReadmeFile, "q3dm99.txt"}, {form.ArenaFile, "q3dm99.arena"}};
    for (const auto &file : files)
        setSlot(file.slot, file.name, work + "/src/" + file.name);
    form.CreateButton_Click();
    return 0;
}
