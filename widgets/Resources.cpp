#include "widgets/Resources.h"

#include <QtGlobal>

static void registerCorvaneResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace corvane {

void loadResources()
{
    static const bool loaded = (registerCorvaneResources(), true);
    Q_UNUSED(loaded);
}

} // namespace corvane
