#pragma once

// What the system's error codes mean, in French: the C library speaks the session's language,
// often English, and every message this program shows is French.

#include <QString>

namespace shell::actions {

QString systemErrorText(int error);

} // namespace shell::actions
