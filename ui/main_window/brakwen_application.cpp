#include "brakwen_application.h"

#include "default_error_box.h"

#include <QLibraryInfo>
#include <QTranslator>

BrakwenApplication::BrakwenApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Brakwen"));
    installFrenchTranslations(*this);
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
