#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class Shell;

// The page "Shop ID": two numbers typed by the operator become the statement
// that links a merchant NPC to a shop.
class ShopPage : public QWidget
{
    Q_OBJECT

public:
    explicit ShopPage(Shell &shell, QWidget *parent = nullptr);

    void Button4Click();

private:
    void watchKeysOnServer();

    Shell &m_shell;
    QLineEdit *m_npcEdit;
    QLineEdit *m_shopidEdit;
    QPushButton *m_button4;
};
