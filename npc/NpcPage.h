#pragma once

#include <QWidget>

class Shell;

// The page "Создание NPC": the template browser on the right, the merchant NPC form on the left.
class NpcPage : public QWidget
{
    Q_OBJECT

public:
    explicit NpcPage(Shell &shell, QWidget *parent = nullptr);

private:
    Shell &m_shell;
};
