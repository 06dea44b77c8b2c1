#pragma once
// A real FTP server for tests: Debian's pyftpdlib (tests/support/ftpserver.py) on 127.0.0.1, on a port
// the system chose for it, serving a fresh folder with full rights for one user.
#include "k5test.h"

#include <QDir>
#include <QTemporaryDir>

namespace k5test {

class FtpServer {
public:
    QString user = QStringLiteral("k5");
    QString password = QStringLiteral("secret");

    // extra: "--no-mlsd", "--throttle", "N" ...
    bool Start(const QStringList &extra = {})
    {
        if (!dir_.isValid())
            return false;
        const QString script = QStringLiteral(K5_SOURCE_DIR "/tests/support/ftpserver.py");
        return server_.Start(script, QStringList{dir_.path(), QStringLiteral("--user"), user,
                                                 QStringLiteral("--password"), password} + extra);
    }
    void Stop() { server_.Stop(); }
    bool Running() const { return server_.Running(); }
    quint16 Port() const { return server_.Port(); }
    // The folder the server shows as "/".
    QString Root() const { return dir_.path(); }
    QString Path(const QString &relative) const { return dir_.path() + QLatin1Char('/') + relative; }

private:
    QTemporaryDir dir_;
    PythonServer server_;
};

// Data rows "passive" and "active" of a bool column "passive", for tests run in both transfer modes.
inline void AddTransferModeRows()
{
    QTest::addColumn<bool>("passive");
    QTest::newRow("passive") << true;
    QTest::newRow("active") << false;
}

} // namespace k5test
