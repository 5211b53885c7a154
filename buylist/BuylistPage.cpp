#include "buylist/BuylistPage.h"

#include <QLineEdit>

BuylistPage::BuylistPage(Shell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    m_orderEdit = new QLineEdit(this);
    m_orderEdit->setObjectName(QStringLiteral("orderEdit"));
}

void BuylistPage::resetOrder()
{
    m_orderEdit->setText(QStringLiteral("1"));
}
