#include "locales.h"

#include <optional>

namespace shell {

namespace {

// Written once at start-up, before the first window: the one piece of locale state the program
// keeps beside Qt's own default.
std::optional<QLocale> &sessionAtStart()
{
    static std::optional<QLocale> locale;
    return locale;
}

} // namespace

QLocale frenchLocale()
{
    return QLocale(QLocale::French, QLocale::France);
}

void makeFrenchTheDefaultLocale()
{
    if (!sessionAtStart())
        sessionAtStart() = QLocale();
    QLocale::setDefault(frenchLocale());
}

QLocale sessionLocale()
{
    return sessionAtStart().value_or(QLocale());
}

} // namespace shell
