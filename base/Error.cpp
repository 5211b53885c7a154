#include "base/Error.h"

QmError::QmError(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8())
{
}

const char *QmError::what() const noexcept
{
    return m_utf8.constData();
}
