// The brakwen program: the application object, the main window, the hidden directory chooser,
// the files or folder named on the command line, then the event loop until the main window is
// closed.
#include "brakwen_application.h"
#include "dirinput.h"
#include "display_failure.h"
#include "main.h"
#include "program_arguments.h"

int main(int argc, char **argv)
{
    // Answered before the application object, which needs a display.
    if (const std::optional<int> status = ProgramArguments::answerWithoutWindow(argc, argv))
        return *status;
    DisplayFailure watch;
    BrakwenApplication application(argc, argv);
    watch.opened();
    // What is left once Qt has taken its own options.
    const ProgramArguments::Named named = ProgramArguments::paths(argc, argv);
    if (named.exitNow)
        return *named.exitNow;
    FPrincipale = new TFPrincipale;
    FrmChooseDirectory = createFrmChooseDirectory(FPrincipale);
    FPrincipale->openPaths(named.paths);
    FPrincipale->show();
    const int status = BrakwenApplication::exec();
    delete FPrincipale;
    return status;
}
