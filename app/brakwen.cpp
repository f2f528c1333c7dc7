// The brakwen program: the application object, the main window, the hidden directory chooser,
// then the event loop until the main window is closed.
#include "brakwen_application.h"
#include "dirinput.h"
#include "main.h"

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    FPrincipale = new TFPrincipale;
    FrmChooseDirectory = createFrmChooseDirectory(FPrincipale);
    FPrincipale->show();
    const int status = BrakwenApplication::exec();
    delete FPrincipale;
    return status;
}
