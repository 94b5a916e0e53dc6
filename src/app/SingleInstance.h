#pragma once
// One running program per application directory and user. The first start holds a lock file and
// listens on a local socket, both named after the application directory; a second start finds the
// lock taken, asks the running program over the socket to come to the front, and ends. A lock left
// by a program that crashed is recognised (its process is gone) and taken over, so it never
// blocks a start.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace tavemo::app {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& appDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Start {
        First,      // this process runs the program; activation requests arrive as signals
        HandedOver, // another process runs it and has been asked to come to the front
        Failed,     // another process holds the lock but does not answer; `error` says so
    };
    // Waits at most a few seconds for a running program that is still starting up.
    Start start(QString* error = nullptr);

    // Where the lock and the socket of an application directory live (the user's runtime folder).
    static QString lockPath(const QString& appDir);
    static QString socketPath(const QString& appDir);

    // The message a second start sends and the answer it waits for.
    static constexpr const char* kActivate = "activate\n";
    static constexpr const char* kDone = "ok\n";

signals:
    void activationRequested();

private:
    bool listen();
    void serve();

    QString m_appDir;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace tavemo::app
