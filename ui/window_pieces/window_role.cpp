#include "window_role.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace WindowRole {

namespace {

constexpr char marker[] = "brakwenWindowRole";

QAccessibleInterface *windowInterface(const QString & /*className*/, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->isWindow() && widget->property(marker).toBool())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void reportAsWindow(QWidget *window)
{
    // Asked for before Qt's own interfaces, for every class the object is, its own first.
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    Q_UNUSED(installed);
    window->setProperty(marker, true);
}

} // namespace WindowRole
