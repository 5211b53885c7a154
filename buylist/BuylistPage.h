#pragma once

#include <QWidget>

class QLineEdit;
class Shell;

// The page "BuyList": the item catalogue and its filters, the buylist form and the shop contents grid.
class BuylistPage : public QWidget
{
    Q_OBJECT

public:
    explicit BuylistPage(Shell &shell, QWidget *parent = nullptr);

    // orderEdit := "1", as at start-up.
    void resetOrder();

private:
    Shell &m_shell;
    QLineEdit *m_orderEdit = nullptr;
};
