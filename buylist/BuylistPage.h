#pragma once

#include <QWidget>

class CtrlAShortcut;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RecordGrid;
class DbShell;

// The page "BuyList": the item catalogue with its kind selector and filters,
// the buylist form that turns a picked item into an entry, and the shop
// contents grid that records this run's entries.
class BuylistPage : public QWidget
{
    Q_OBJECT

public:
    explicit BuylistPage(DbShell &shell, QWidget *parent = nullptr);

    // orderEdit := "1", as at start-up.
    void resetOrder();

    void Button5Click();
    void NextGrid2CellDblClick(int col, int row);
    void Button6Click();

    RecordGrid *NextGrid2() const { return m_nextGrid2; }
    RecordGrid *NextGrid3() const { return m_nextGrid3; }

private:
    void buildForm();
    void buildCatalogue();
    void watchFilter(QLineEdit *box, int column);

    DbShell &m_shell;
    CtrlAShortcut *m_shortcut;

    QLabel *m_label28 = nullptr;
    QLineEdit *m_shopEdit = nullptr;
    QLineEdit *m_itemidEdit = nullptr;
    QLineEdit *m_priceEdit = nullptr;
    QLineEdit *m_orderEdit = nullptr;
    QPushButton *m_button6 = nullptr;
    QCheckBox *m_checkBox1 = nullptr;

    QPushButton *m_button5 = nullptr;
    QRadioButton *m_radioButton1 = nullptr;
    QRadioButton *m_radioButton2 = nullptr;
    QRadioButton *m_radioButton3 = nullptr;
    RecordGrid *m_nextGrid3 = nullptr;

    QLineEdit *m_search = nullptr;
    QLineEdit *m_typesortEdit = nullptr;
    QLineEdit *m_gradesortEdit = nullptr;
    QLineEdit *m_sellsortEdit = nullptr;
    RecordGrid *m_nextGrid2 = nullptr;
};
