#pragma once
// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the event loop. The handler itself only
// writes the signal number into a socket pair; the program ends (storing the note first) from
// the event loop, where everything may be done.

#include <QObject>

class QSocketNotifier;

namespace tavemo::app {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one object per process.
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the default handlers back.
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tavemo::app
