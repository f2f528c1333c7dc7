// The application object: French texts for Qt's own widgets and French as the default locale,
// and the default error box for any error that leaves an event handler.
#pragma once

#include <QApplication>

class BrakwenApplication : public QApplication
{
    Q_OBJECT

public:
    BrakwenApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Loads Qt's French translations (standard buttons, edit context menus) from the
    // system's Qt translations folder. Returns false when they are not installed.
    static bool installFrenchTranslations(QCoreApplication &application);
};
