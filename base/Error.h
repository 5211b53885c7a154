#pragma once

#include <QString>

#include <exception>

// The one error type that handlers raise. It ends the handler and is shown by
// the error display of the main window; state changed before it stays changed.
class QmError : public std::exception
{
public:
    explicit QmError(QString text);
    const QString &text() const { return m_text; }
    const char *what() const noexcept override;

private:
    QString m_text;
    QByteArray m_utf8;
};

// Raised when the operator cancels an operation (a long table load): it ends
// the handler like an error, but there is nothing to show.
class QmCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "Cancelled"; }
};

// Raised when the run is ending and has stopped the operation under way: a
// cancel with nothing to show and nothing to log, since the log is closed.
class QmRunEnding : public QmCancelled
{
public:
    const char *what() const noexcept override { return "Run ending"; }
};
