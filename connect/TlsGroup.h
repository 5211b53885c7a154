#pragma once

#include "db/TlsOptions.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

// The group "Шифрование и сжатие" of the connection page: how the link is
// protected (off, preferred, required, verified against a CA file the
// operator picks) and whether it is compressed.
class TlsGroup : public QGroupBox
{
public:
    explicit TlsGroup(QWidget *parent = nullptr);

    TlsOptions options() const;
    void setOptions(const TlsOptions &options);

private:
    void modeChanged();
    void pickCaFile();

    QComboBox *m_mode = nullptr;
    QLineEdit *m_caFile = nullptr;
    QToolButton *m_pickCa = nullptr;
    QCheckBox *m_compressed = nullptr;
};
