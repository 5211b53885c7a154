#pragma once

#include <QWidget>

#include <vector>

class ContentsEntries;
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
    // Ctrl+V on the catalogue (or a button of the page): one entry per pasted line whose item the catalogue holds.
    void pasteList(const QString &text);
    ContentsEntries *contents() const { return m_contents; }

    RecordGrid *NextGrid2() const { return m_nextGrid2; }
    RecordGrid *NextGrid3() const { return m_nextGrid3; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addRows(const std::vector<int> &rows);
    void continueScript();
    void buildForm();
    void buildCatalogue();
    void watchFilter(QLineEdit *box, int column);

    DbShell &m_shell;
    CtrlAShortcut *m_shortcut;
    ContentsEntries *m_contents = nullptr;

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
