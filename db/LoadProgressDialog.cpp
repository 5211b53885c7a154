#include "db/LoadProgressDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int refreshMs = 100;

} // namespace

LoadProgressDialog::LoadProgressDialog(QWidget *parent, std::function<int()> rowsRead)
    : QDialog(parent)
    , m_rowsRead(std::move(rowsRead))
{
    setObjectName(u"LoadProgressDialog"_s);
    setWindowTitle(u"Загрузка таблицы"_s);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    m_rows = new QLabel(this);
    m_rows->setObjectName(u"rowsLabel"_s);
    m_rows->setMinimumWidth(220);
    layout->addWidget(m_rows);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cancel = buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cancelButton"_s);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &LoadProgressDialog::showRows);
    m_refresh->start(refreshMs);
    showRows();
}

void LoadProgressDialog::finish()
{
    m_refresh->stop();
    accept();
}

void LoadProgressDialog::showRows()
{
    m_rows->setText(u"Прочитано строк: %1"_s.arg(m_rowsRead()));
}
