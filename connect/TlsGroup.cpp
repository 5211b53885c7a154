#include "connect/TlsGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct ModeCaption
{
    TlsMode mode;
    const char16_t *caption;
};

// In the order of the list, from none to the most protection.
constexpr ModeCaption modeCaptions[] = {
    {TlsMode::Off, u"нет"},
    {TlsMode::Preferred, u"если сервер предлагает"},
    {TlsMode::Required, u"обязательно"},
    {TlsMode::Verified, u"обязательно, с проверкой сертификата"},
};

} // namespace

TlsGroup::TlsGroup(QWidget *parent)
    : QGroupBox(u"Шифрование и сжатие"_s, parent)
{
    setObjectName(u"TlsGroup"_s);
    auto *form = new QFormLayout(this);

    m_mode = new QComboBox;
    m_mode->setObjectName(u"tlsMode"_s);
    for (const ModeCaption &entry : modeCaptions)
        m_mode->addItem(QString::fromUtf16(entry.caption), int(entry.mode));
    form->addRow(u"Шифрование"_s, m_mode);

    m_caFile = new QLineEdit;
    m_caFile->setObjectName(u"caFile"_s);
    m_caFile->setPlaceholderText(u"системные сертификаты"_s);
    m_pickCa = new QToolButton;
    m_pickCa->setObjectName(u"pickCaFile"_s);
    m_pickCa->setText(u"…"_s);
    m_pickCa->setToolTip(u"Выбрать файл сертификата центра сертификации"_s);
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(m_caFile, 1);
    caRow->addWidget(m_pickCa);
    form->addRow(u"Сертификат ЦС"_s, caRow);

    m_compressed = new QCheckBox(u"Сжатие (для медленной линии)"_s);
    m_compressed->setObjectName(u"compressed"_s);
    form->addRow(m_compressed);

    connect(m_mode, &QComboBox::currentIndexChanged, this, &TlsGroup::modeChanged);
    connect(m_pickCa, &QToolButton::clicked, this, &TlsGroup::pickCaFile);
    setOptions({});
}

TlsOptions TlsGroup::options() const
{
    return {TlsMode(m_mode->currentData().toInt()), m_caFile->text().trimmed(), m_compressed->isChecked()};
}

void TlsGroup::setOptions(const TlsOptions &options)
{
    m_mode->setCurrentIndex(m_mode->findData(int(options.mode)));
    m_caFile->setText(options.caFile);
    m_compressed->setChecked(options.compressed);
    modeChanged();
}

void TlsGroup::modeChanged()
{
    // The CA file is read only when the certificate is checked.
    const bool verified = TlsMode(m_mode->currentData().toInt()) == TlsMode::Verified;
    m_caFile->setEnabled(verified);
    m_pickCa->setEnabled(verified);
}

void TlsGroup::pickCaFile()
{
    const QString start = m_caFile->text().isEmpty() ? QString() : QFileInfo(m_caFile->text()).path();
    const QString file = QFileDialog::getOpenFileName(
        this, u"Сертификат центра сертификации"_s, start,
        u"Сертификаты (*.pem *.crt *.cer);;Все файлы (*)"_s, nullptr, QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty())
        m_caFile->setText(file);
}
