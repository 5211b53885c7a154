#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class DbShell;

// The page "Shop ID": two numbers typed by the operator become the statement
// that links a merchant NPC to a shop.
class ShopPage : public QWidget
{
    Q_OBJECT

public:
    explicit ShopPage(DbShell &shell, QWidget *parent = nullptr);

    void Button4Click();

private:
    void watchKeysOnServer();

    DbShell &m_shell;
    QLineEdit *m_npcEdit;
    QLineEdit *m_shopidEdit;
    QPushButton *m_button4;
};
