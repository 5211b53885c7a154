#include "connect/SavedConnectionsBar.h"

#include "base/Error.h"
#include "base/Guard.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

SavedConnectionsBar::SavedConnectionsBar(ConnectionSettingsStore &store, std::function<ConnectionSettings()> current,
                                         QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_current(std::move(current))
{
    setObjectName(u"SavedConnections"_s);
    m_names = new QComboBox;
    m_names->setObjectName(u"savedConnections"_s);
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    m_names->lineEdit()->setPlaceholderText(u"имя соединения"_s);
    auto *label = new QLabel(u"Сохранённые соединения"_s);
    label->setBuddy(m_names);
    m_save = new QPushButton(u"Сохранить"_s);
    m_save->setObjectName(u"saveConnection"_s);
    m_remove = new QPushButton(u"Удалить"_s);
    m_remove->setObjectName(u"removeConnection"_s);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_names, 1);
    row->addWidget(m_save);
    row->addWidget(m_remove);

    connect(m_names, &QComboBox::activated, this, &SavedConnectionsBar::pick);
    connect(m_save, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { save(); }); });
    connect(m_remove, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { remove(); }); });
    reload();
    m_names->setCurrentIndex(-1);
}

QString SavedConnectionsBar::currentName() const
{
    const QString name = m_names->currentText();
    return m_names->findText(name, Qt::MatchExactly) >= 0 ? name : QString();
}

void SavedConnectionsBar::showName(const QString &name)
{
    m_names->setCurrentIndex(m_names->findText(name, Qt::MatchExactly));
    if (m_names->currentIndex() < 0)
        m_names->setEditText(QString());
}

void SavedConnectionsBar::reload()
{
    const QSignalBlocker quiet(m_names);
    const QString shown = m_names->currentText();
    m_names->clear();
    m_names->addItems(m_store.names());
    m_names->setEditText(shown);
}

void SavedConnectionsBar::pick(int index)
{
    const QString name = m_names->itemText(index);
    if (const std::optional<ConnectionSettings> settings = m_store.named(name))
        Q_EMIT picked(*settings);
}

void SavedConnectionsBar::save()
{
    const QString name = m_names->currentText().trimmed();
    if (name.isEmpty())
        throw QmError(u"Введите имя соединения в списке сохранённых соединений"_s);
    const ConnectionSettings settings = m_current();
    if (const QString problem = m_store.save(name, settings); !problem.isEmpty())
        throw QmError(problem);
    reload();
    showName(name);
}

void SavedConnectionsBar::remove()
{
    const QString name = m_names->currentText();
    if (m_names->findText(name, Qt::MatchExactly) < 0)
        throw QmError(u"Нет сохранённого соединения «%1»"_s.arg(name));
    if (const QString problem = m_store.remove(name); !problem.isEmpty())
        throw QmError(problem);
    reload();
    showName(QString());
}
