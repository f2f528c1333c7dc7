#pragma once

// The program speaks French whatever the session's language, yet orders names as the session's
// language does. Both locales are made here, and only here.

#include <QLocale>

namespace shell {

// French as written in France: the numbers, sizes and dates of the program's own texts.
QLocale frenchLocale();

// Once, at start-up: French becomes the default locale, so that the texts Qt takes from it (the
// descriptions of file types) are French too. The session's own locale is kept for
// sessionLocale().
void makeFrenchTheDefaultLocale();

// The locale the session gave the program, as makeFrenchTheDefaultLocale() found it; the default
// locale where that never ran (the namespace used without the program's start-up).
QLocale sessionLocale();

} // namespace shell
