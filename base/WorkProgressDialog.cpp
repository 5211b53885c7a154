#include "base/WorkProgressDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int refreshMs = 100;

} // namespace

WorkProgressDialog::WorkProgressDialog(QWidget *parent, const QString &title, std::function<QString()> text,
                                       std::function<void()> onCancel)
    : QDialog(parent)
    , m_text(std::move(text))
    , m_onCancel(std::move(onCancel))
{
    setObjectName(u"WorkProgressDialog"_s);
    setWindowTitle(title);
    setWindowModality(Qt::NonModal);

    auto *layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setObjectName(u"progressLabel"_s);
    m_label->setMinimumWidth(220);
    layout->addWidget(m_label);
    auto *buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(u"cancelButton"_s);
    connect(buttons, &QDialogButtonBox::rejected, this, &WorkProgressDialog::reject);
    layout->addWidget(buttons);

    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &WorkProgressDialog::refresh);
    m_refresh->start(refreshMs);
    refresh();
}

void WorkProgressDialog::reject()
{
    // The window stays until the work has ended; a second request changes nothing.
    if (!m_cancel->isEnabled())
        return;
    m_cancel->setEnabled(false);
    m_onCancel();
}

void WorkProgressDialog::refresh()
{
    m_label->setText(m_text());
}
