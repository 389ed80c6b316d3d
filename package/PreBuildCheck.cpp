#include "package/PreBuildCheck.h"

#include "package/SlotFacts.h"

#include <QLineEdit>

namespace corvane {

namespace {

bool isEmpty(const QLineEdit *box)
{
    return trimBlanks(box->text()).isEmpty();
}

QString enterMessage(const QString &label)
{
    return QStringLiteral("Please enter a ") + label + QStringLiteral(".");
}

} // namespace

std::optional<QString> preBuildCheck(const PackageDescription &description, CheckRules rules)
{
    if (isEmpty(description.ShortName))
        return enterMessage(QStringLiteral("Map Shortname"));
    if (rules == CheckRules::Build && isEmpty(description.SaveLocation))
        return enterMessage(QStringLiteral("Save Location"));
    if (isEmpty(description.files.BSP))
        return QStringLiteral("Please select a ") + QLatin1String(factsOf(Slot::BSP).label)
            + QStringLiteral(" to add.");
    if (isEmpty(description.files.ArenaFile))
        return QStringLiteral("Please select an ") + QLatin1String(factsOf(Slot::ArenaFile).label)
            + QStringLiteral(" to add.");
    return std::nullopt;
}

} // namespace corvane
