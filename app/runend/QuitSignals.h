#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the event loop, so that a
// session ending or a kill still runs the orderly shutdown that writes the exit files.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    // signal: the number of the signal that asked.
    void quitRequested(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
