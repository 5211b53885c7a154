#include "app/MainWindowAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// The main window is a plain QWidget (its pages sit at fixed places), which
// Qt would report with the role of a client area.
QAccessibleInterface *mainWindowInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("TForm1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installMainWindowAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(mainWindowInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
