#pragma once

#include <QByteArray>
#include <QString>

class QWidget;
class TFrmChooseDirectory;

// Where the chooser opens when it is given no usable directory. Written once at start-up by the
// main window: the program's folder, trailing separator included, or the user's home folder for
// a program the user may not write beside. The converter's folder is the main window's own.
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

// The same choice, with the folder also as the file system's own bytes: a name that is not valid
// text survives only that way. `rawDirectory` names the start folder while `directory` is still
// its decoded text (QFile::decodeName), else the text does. On OK it holds the chosen folder's
// bytes, empty when the chosen node is no file-system folder; otherwise it is left unchanged.
bool ChooseDirectory(TFrmChooseDirectory *dialog, const QString &caption, const QString &okText,
                     const QString &cancelText, QString &directory, QByteArray &rawDirectory);
