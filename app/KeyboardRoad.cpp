#include "app/KeyboardRoad.h"

#include "connect/ConnectionPage.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

void startKeyboardRoad(ConnectionPage &page)
{
    page.Edit1->setFocus(Qt::OtherFocusReason);
    // Enter in any box of the login (the password's above all) connects.
    const QWidget *login = page.Edit1->parentWidget();
    for (QLineEdit *box : login->findChildren<QLineEdit *>())
        QObject::connect(box, &QLineEdit::returnPressed, page.Button1, &QPushButton::click);
}
