#include "packaging/InputSafety.h"

#include "package/SlotFacts.h"

#include <QLineEdit>

namespace corvane {

namespace {

// What a Windows file name cannot hold; the short name names both archives.
std::optional<QString> forbiddenInFileName(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return QStringLiteral("a control character");
        if (forbidden.contains(c))
            return QStringLiteral("the character ") + c;
    }
    return std::nullopt;
}

bool hasQuote(const QString &text)
{
    return text.contains(QLatin1Char('"'));
}

} // namespace

std::optional<QString> unsafeInputMessage(const PackageDescription &d)
{
    if (const auto what = forbiddenInFileName(d.ShortName->text())) {
        return QStringLiteral("The Map Shortname \"%1\" contains %2, which a file name cannot hold. "
                              "Please enter another Map Shortname.")
            .arg(d.ShortName->text(), *what);
    }
    if (hasQuote(d.SaveLocation->text())) {
        return QStringLiteral("The Save Location \"%1\" contains a double quotation mark, which cannot be "
                              "passed to the archiver. Please choose another folder.")
            .arg(d.SaveLocation->text());
    }
    for (const Slot slot : archiverOrder) {
        const QLineEdit *box = slotBox(d.files, slot);
        // The readme's own path is on the second command line as well.
        const bool pathOnCommandLine = slot == Slot::ReadmeFile && hasQuote(slotPath(box));
        if (hasQuote(slotText(box)) || pathOnCommandLine) {
            return QStringLiteral("The %1 \"%2\" has a double quotation mark in its name or folder, which cannot "
                                  "be passed to the archiver. Please rename it and select it again.")
                .arg(QLatin1String(factsOf(slot).label), pathOnCommandLine ? slotPath(box) : slotText(box));
        }
    }
    return std::nullopt;
}

} // namespace corvane
