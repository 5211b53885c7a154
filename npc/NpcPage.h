#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RecordGrid;
class DbShell;

// The page "Создание NPC": the template browser on the right, the merchant NPC form on the left.
class NpcPage : public QWidget
{
    Q_OBJECT

public:
    explicit NpcPage(DbShell &shell, QWidget *parent = nullptr);

    // Handlers, each run inside the error guard by its control's signal.
    void Button2Click();
    void Edit5Change();
    void NextGrid1CellDblClick(int col, int row);
    void Button3Click();

    // The controls, by their names.
    QPushButton *Button2() const { return m_button2; }
    QLineEdit *Edit5() const { return m_edit5; }
    RecordGrid *NextGrid1() const { return m_nextGrid1; }
    QGroupBox *GroupBox1() const { return m_group; }
    QLineEdit *idEdit() const { return m_idEdit; }
    QLineEdit *idtEdit() const { return m_idtEdit; }
    QLineEdit *classEdit() const { return m_classEdit; }
    QLineEdit *nameEdit() const { return m_nameEdit; }
    QLineEdit *titleEdit() const { return m_titleEdit; }
    QLineEdit *crEdit() const { return m_crEdit; }
    QLineEdit *chEdit() const { return m_chEdit; }
    QLineEdit *levelEdit() const { return m_levelEdit; }
    QRadioButton *Male() const { return m_male; }
    QRadioButton *Female() const { return m_female; }
    QLineEdit *rhandEdit() const { return m_rhandEdit; }
    QLineEdit *lhandEdit() const { return m_lhandEdit; }
    QLineEdit *armorEdit() const { return m_armorEdit; }
    QCheckBox *Undead() const { return m_undead; }
    QPushButton *Button3() const { return m_button3; }

private:
    void buildBrowser();
    void buildForm();

    DbShell &m_shell;

    QPushButton *m_button2 = nullptr;
    QLineEdit *m_edit5 = nullptr;
    RecordGrid *m_nextGrid1 = nullptr;

    QGroupBox *m_group = nullptr;
    QLineEdit *m_idEdit = nullptr;
    QLineEdit *m_idtEdit = nullptr;
    QLineEdit *m_classEdit = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    QLineEdit *m_crEdit = nullptr;
    QLineEdit *m_chEdit = nullptr;
    QLineEdit *m_levelEdit = nullptr;
    QRadioButton *m_male = nullptr;
    QRadioButton *m_female = nullptr;
    QLineEdit *m_rhandEdit = nullptr;
    QLineEdit *m_lhandEdit = nullptr;
    QLineEdit *m_armorEdit = nullptr;
    QCheckBox *m_undead = nullptr;
    QPushButton *m_button3 = nullptr;
};
