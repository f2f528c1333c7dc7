#include "dirinput.h"

QString DefaultDirectory;
TFrmChooseDirectory *FrmChooseDirectory = nullptr;

// Placeholder until the dialog exists: behaves as a cancelled choice.
bool ChooseDirectory(TFrmChooseDirectory *, const QString &, const QString &, const QString &,
                     QString &)
{
    return false;
}

TFrmChooseDirectory *createFrmChooseDirectory(QWidget *)
{
    return nullptr;
}
