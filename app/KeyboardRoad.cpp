#include "app/KeyboardRoad.h"

#include "db/ConnectionPage.h"

#include <QLineEdit>
#include <QPushButton>

void startKeyboardRoad(ConnectionPage &page)
{
    page.Edit1->setFocus(Qt::OtherFocusReason);
    QObject::connect(page.Edit3, &QLineEdit::returnPressed, page.Button1, &QPushButton::click);
}
