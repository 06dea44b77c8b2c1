// Times the listing of a server folder of 10,000 entries: the FTP layer alone, and the panel's whole
// Refresh (listing, icons, types, dates, sort). Prints milliseconds; the goal is under one second.
#include "tools/publish/bt_ddftp.h"

#include "k5ftpserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    k5test::IsolateEnvironment();
    QApplication app(argc, argv);
    k5test::FtpServer server;
    const int entries = 10000;
    for (int i = 0; i < entries; ++i) {
        const QString name = i % 50 == 0 ? QStringLiteral("folder %1/x").arg(i) : QStringLiteral("page %1.html").arg(i);
        k5test::WriteFile(server.Path(name), QByteArray(i % 997, 'x'));
    }
    // the folders hold one file each; the root holds exactly 10,000 entries
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the FTP server\n");
        return 1;
    }

    platform::FtpConnectOptions o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = server.Port();
    o.user = server.user;
    o.password = server.password;
    auto connection = platform::FtpConnection::Open(o);
    if (!connection) {
        std::fprintf(stderr, "cannot connect (error %u)\n", platform::FtpLastError());
        return 1;
    }
    std::vector<double> layer;
    int count = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        platform::FtpFindData d;
        auto find = connection->FindFirstFile(&d);
        count = find ? find->Count() : 0;
        layer.push_back(t.nsecsElapsed() / 1e6);
    }

    publish::TBTDragDropFTP panel(nullptr);
    panel.SetHostName(o.host);
    panel.SetPort(o.port);
    panel.SetLoginName(o.user);
    panel.SetPassword(o.password);
    QString completed;
    panel.OnDisplayMessage = [&](QObject *, const QString &text, bool) {
        if (text.startsWith(QLatin1String("Transfer completed")))
            completed = text;
    };
    if (!panel.Connect()) {
        std::fprintf(stderr, "the panel cannot connect\n");
        return 1;
    }
    std::vector<double> refresh;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        panel.Refresh();
        refresh.push_back(t.nsecsElapsed() / 1e6);
    }
    server.Stop();
    std::printf("entries listed: %d (%s)\n", count, qPrintable(completed));
    std::printf("FTP layer listing (MLSD, parse): median %.1f ms, best %.1f ms\n", median(layer),
                *std::min_element(layer.begin(), layer.end()));
    std::printf("panel Refresh (listing, icons, types, dates, sort): median %.1f ms, best %.1f ms\n",
                median(refresh), *std::min_element(refresh.begin(), refresh.end()));
    k5test::RemoveEnvironment();
    return 0;
}
