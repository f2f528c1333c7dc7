#pragma once

#include <QString>

class QWidget;
class TFrmChooseDirectory;

// The Tool directory: the executable's folder, trailing separator included. Written once at
// start-up by the main window; read by the chooser as its fallback start folder and by the PDF
// conversion to find the converter.
extern QString DefaultDirectory;

// The one chooser of the program, created hidden at start-up after the main window.
extern TFrmChooseDirectory *FrmChooseDirectory;

// Creates the chooser hidden, owned by the application and placed over `mainWindow` when first
// shown; its views fill with the computer level here.
TFrmChooseDirectory *createFrmChooseDirectory(QWidget *mainWindow);

// Shows the chooser modally on `directory` (or on DefaultDirectory when that names no folder).
// Returns true when the user confirmed, `directory` then holding the chosen folder; otherwise
// false with `directory` unchanged. Throws when the start folder cannot be shown.
bool ChooseDirectory(TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
                     const QString &cancelText, QString &directory);
