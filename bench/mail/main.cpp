// Sends one message with a large attachment (default 100 MB) through the mail component to a local
// aiosmtpd, and the same MIME text with the curl command-line tool to the same server, in turns. Prints
// the median times, their ratio (goal: within 1.3 times curl's) and how much the process's peak memory
// grew during our sends (goal: under 20 MB, the attachment being streamed).
#include "tools/publish/email.h"

#include "k5smtpserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The process's peak resident size in kB, and a way to start counting it afresh.
long peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace

int main(int argc, char **argv)
{
    k5test::IsolateEnvironment();
    // The large files go with the temporary tree, however the run ends.
    struct Cleanup {
        ~Cleanup() { k5test::RemoveEnvironment(); }
    } cleanup;
    QApplication app(argc, argv);
    const qint64 mb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    const QString dir = k5test::Root() + QStringLiteral("/bench");
    const QString attachment = dir + QStringLiteral("/attachment.bin");
    const QString mimeFile = dir + QStringLiteral("/message.eml");
    {
        QByteArray block(1 << 20, 0);
        QFile f(attachment);
        if (!QDir().mkpath(dir) || !f.open(QIODevice::WriteOnly))
            return 1;
        for (qint64 i = 0; i < mb; ++i) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            f.write(block);
        }
    }
    k5test::SmtpServer server;
    if (!server.Start({QStringLiteral("--discard")})) {
        std::fprintf(stderr, "cannot start the SMTP server\n");
        return 1;
    }
    platform::MailAccount account;
    account.name = QStringLiteral("Bench");
    account.sender = QStringLiteral("Me <me@example.org>");
    account.server.host = QStringLiteral("127.0.0.1");
    account.server.port = server.Port();
    platform::SaveMailAccount(account);
    platform::SetDefaultMailAccount(account.name);

    // The same message as a MIME file for curl, written by the same encoder.
    platform::MailMessage m;
    m.from = platform::ParseMailAddress(QStringLiteral("Me <me@example.org>"));
    m.to = {platform::ParseMailAddress(QStringLiteral("to@example.org"))};
    m.subject = QStringLiteral("Large attachment");
    m.body = QStringLiteral("See the attachment.");
    m.attachments = {{attachment, QStringLiteral("attachment.bin")}};
    {
        platform::MimeStream mime(m);
        QFile out(mimeFile);
        if (mime.Open() || !out.open(QIODevice::WriteOnly))
            return 1;
        std::vector<char> piece(1 << 20);
        for (qint64 n; (n = mime.Read(piece.data(), qint64(piece.size()))) > 0;)
            out.write(piece.data(), n);
    }

    publish::TEmail mail;
    mail.UseDefProfile = true;
    mail.Recipient = {QStringLiteral("to@example.org")};
    mail.SetSubject(m.subject);
    mail.SetLongText("See the attachment.");
    mail.Attachment = {attachment};
    mail.TruncAttFN = false;

    std::vector<double> ours, theirs;
    long growth = 0;
    for (int run = 0; run < runs; ++run) {
        resetPeak();
        const long before = peakKb();
        QElapsedTimer t;
        t.start();
        const int code = mail.SendMail();
        ours.push_back(t.nsecsElapsed() / 1e6);
        growth = std::max(growth, peakKb() - before);
        if (code) {
            std::fprintf(stderr, "SendMail failed with %d\n", code);
            return 1;
        }
        QProcess curl;
        t.restart();
        curl.start(QStringLiteral("curl"), {QStringLiteral("-sS"), QStringLiteral("smtp://127.0.0.1:%1").arg(server.Port()),
                                            QStringLiteral("--mail-from"), QStringLiteral("me@example.org"),
                                            QStringLiteral("--mail-rcpt"), QStringLiteral("to@example.org"),
                                            QStringLiteral("-T"), mimeFile});
        if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
            std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
            return 1;
        }
        theirs.push_back(t.nsecsElapsed() / 1e6);
    }
    if (!server.WaitForMessages(2 * runs, 60000)) {
        std::fprintf(stderr, "the server did not keep every message\n");
        return 1;
    }
    const double a = median(ours), b = median(theirs);
    std::printf("attachment %lld MB, MIME %.1f MB, %d runs each\n", mb, QFileInfo(mimeFile).size() / 1048576.0, runs);
    std::printf("mail component: %.0f ms (median)\n", a);
    std::printf("curl tool:      %.0f ms (median)\n", b);
    std::printf("ratio:          %.2f (goal <= 1.30)\n", a / b);
    std::printf("peak memory growth during a send: %.1f MB (goal < 20)\n", growth / 1024.0);
    return 0;
}
