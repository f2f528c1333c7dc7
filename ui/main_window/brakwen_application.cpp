#include "brakwen_application.h"

#include "default_error_box.h"
#include "shell/locales.h"

#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

BrakwenApplication::BrakwenApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Brakwen"));
    // Ties the windows to the installed desktop entry, named after the application's id, and its
    // icon.
    setDesktopFileName(QStringLiteral("io.github.brakwen.brakwen"));
    QIcon icon;
    for (const char *file : {":/main_window/brakwen-48.png", ":/main_window/brakwen-256.png"}) {
        if (QFile::exists(QLatin1String(file)))
            icon.addFile(QLatin1String(file));
    }
    if (!icon.isNull())
        setWindowIcon(icon);
    installFrenchTranslations(*this);
    shell::makeFrenchTheDefaultLocale();
}

bool BrakwenApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    DefaultErrorBox::guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool BrakwenApplication::installFrenchTranslations(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
