#include "npc/NpcPage.h"

NpcPage::NpcPage(Shell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
}
