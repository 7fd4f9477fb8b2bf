#pragma once
// The two ends of the hand-off socket (platform/HandOff.h): the running copy listens, a
// second start sends its files and ends.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace vellumo {

/// Listens on the hand-off socket of the copy that holds the single-instance lock and
/// tells of each message received.
class HandOffServer : public QObject {
    Q_OBJECT
  public:
    /// Listens at `socketPath`. A socket file left there by a crashed copy is removed first:
    /// the caller holds the lock, so no other copy can be listening.
    explicit HandOffServer(const QString& socketPath, QObject* parent = nullptr);
    ~HandOffServer() override;
    /// Whether it listens (false when the folder cannot take the socket: files are then
    /// not handed over, and a second start with files shows the warning).
    bool Listening() const;

  signals:
    /// The files of one second start, in their order, as the sender named them.
    void FilesReceived(const QStringList& paths);

  private:
    void Accept();
    void Read(QLocalSocket* socket);

    QLocalServer* server_;
};

/// Sends `absolutePaths` to the copy listening at `socketPath` and waits for its answer.
/// The running copy may still be starting (it takes the lock before it listens), so the
/// connection is tried again until `timeoutMs` has passed. True when the running copy
/// has taken the files.
bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& absolutePaths,
                            int timeoutMs = 5000);

}  // namespace vellumo
