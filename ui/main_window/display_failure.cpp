#include "display_failure.h"

#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct Held
{
    QtMsgType type;
    QByteArray category;
    QString message;
};

// What Qt said while the application object was being made.
QList<Held> &held()
{
    static QList<Held> messages;
    return messages;
}

void hold(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        held().append({type, context.category, message});
        return;
    }
    QList<QByteArray> said;
    for (const Held &earlier : held())
        said << earlier.message.toLocal8Bit();
    said << message.toLocal8Bit();
    const QByteArray line = DisplayFailure::lineFor(said);
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

DisplayFailure::DisplayFailure() : m_previous(qInstallMessageHandler(hold)), m_watching(true) {}

void DisplayFailure::opened()
{
    if (!std::exchange(m_watching, false))
        return;
    qInstallMessageHandler(m_previous);
    const QList<Held> said = std::exchange(held(), {});
    for (const Held &message : said) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.message);
    }
}

DisplayFailure::~DisplayFailure()
{
    opened();
}

QByteArray DisplayFailure::lineFor(const QList<QByteArray> &said)
{
    const QByteArray display = qgetenv("DISPLAY");
    const bool named = !display.isEmpty() || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                       !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const bool unreachable = std::any_of(said.begin(), said.end(), [](const QByteArray &text) {
        return text.contains("could not connect to display");
    });
    QByteArray why;
    if (!named)
        why = "aucun affichage n'est défini (ni DISPLAY ni WAYLAND_DISPLAY)";
    else if (unreachable)
        why = "l'affichage « " + display + " » ne répond pas";
    else
        why = "le module d'affichage de Qt manque ou ne peut pas être chargé (paquet "
              "qt6-qpa-plugins)";
    return "brakwen: la fenêtre ne peut pas s'ouvrir : " + why +
           " ; brakwen-cli fait le même travail sans fenêtre\n";
}
