#pragma once
// A real SMTP server for tests: Debian's aiosmtpd (tests/support/smtpserver.py) on 127.0.0.1, on a port
// the system chose for it. Every message it accepts is kept with its envelope and read back from here.
#include "k5test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace k5test {

struct DeliveredMail {
    QByteArray data;        // the message as received
    QString from;           // envelope sender
    QStringList recipients; // envelope recipients
    QJsonObject parsed;     // headers, body and attachments as Python's parser reads them

    // The decoded value of a header (empty when missing).
    QString Header(const QString &name) const
    {
        for (const QJsonValue &h : parsed.value(QStringLiteral("headers")).toArray())
            if (h.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
                return h.toArray().at(1).toString();
        return QString();
    }
    bool HasHeader(const QString &name) const
    {
        for (const QJsonValue &h : parsed.value(QStringLiteral("headers")).toArray())
            if (h.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    QString Body() const { return parsed.value(QStringLiteral("body")).toString(); }
    // Each attachment: "filename", "type", "size", "md5", "lines" (its encoded body as it came) and "defects"
    // (what the parser found wrong in it).
    QJsonArray Attachments() const { return parsed.value(QStringLiteral("attachments")).toArray(); }
    // What the parser found wrong anywhere in the message, by the names of its defect classes.
    QStringList Defects() const
    {
        QStringList out;
        for (const QJsonValue &d : parsed.value(QStringLiteral("defects")).toArray())
            out << d.toString();
        return out;
    }
};

class SmtpServer {
public:
    // extra: "--user", "u", "--password", "p", "--refuse", "a@b", "--die-after", "N", "--discard"
    bool Start(const QStringList &extra = {})
    {
        if (!dir_.isValid())
            return false;
        const QString script = QStringLiteral(K5_SOURCE_DIR "/tests/support/smtpserver.py");
        return server_.Start(script, QStringList{dir_.path()} + extra);
    }
    void Stop() { server_.Stop(); }
    bool Running() const { return server_.Running(); }
    quint16 Port() const { return server_.Port(); }
    QString Output() { return server_.Output(); }

    // The messages delivered so far, in order.
    QList<DeliveredMail> Messages() const
    {
        QList<DeliveredMail> out;
        for (int n = 1;; ++n) {
            const QString base = dir_.path() + QLatin1Char('/') + QString::number(n);
            const QByteArray env = ReadFile(base + QStringLiteral(".env"));
            if (env.isEmpty())
                return out;
            DeliveredMail m;
            m.data = ReadFile(base + QStringLiteral(".eml"));
            m.parsed = QJsonDocument::fromJson(ReadFile(base + QStringLiteral(".json"))).object();
            for (const QByteArray &line : env.split('\n')) {
                if (line.startsWith("FROM "))
                    m.from = QString::fromUtf8(line.mid(5));
                else if (line.startsWith("RCPT "))
                    m.recipients << QString::fromUtf8(line.mid(5));
            }
            out << m;
        }
    }
    // Waits until at least n messages arrived (false on time-out).
    bool WaitForMessages(int n, int timeoutMs = 10000) const
    {
        QElapsedTimer t;
        t.start();
        while (Messages().size() < n) {
            if (t.elapsed() > timeoutMs)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

private:
    QTemporaryDir dir_;
    PythonServer server_;
};

} // namespace k5test
