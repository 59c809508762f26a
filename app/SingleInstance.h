#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace vantora {

// One copy of the station per user: a lock file guards a local server named
// "PreTwoVantraProfra". The first copy becomes primary and listens; a later
// copy started with a file hands its path to the primary, which reports it
// through pathReceived() (opened as a shell-opened document).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kName = "PreTwoVantraProfra";

    // folder: where the lock file and the server socket live (default: the
    // user's runtime folder); tests pass a temporary folder.
    explicit SingleInstance(QString folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the only running copy.
    bool tryBecomePrimary();
    bool isPrimary() const { return primary_; }
    // Passes path to the running copy; false when none answers.
    bool sendToPrimary(const QString& path, int timeoutMs = 3000);

    QString serverPath() const;

signals:
    void pathReceived(const QString& path);

private:
    void onNewConnection();
    QString folder_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    bool primary_ = false;
};

} // namespace vantora
