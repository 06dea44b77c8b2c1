#include "keyring.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace platform {
namespace {

const QString kService = QStringLiteral("Kestrova 5");
// A keyring that asks its user to unlock it may take a while; one that hangs must not hang the program.
constexpr int kWaitMs = 30000;

// Runs a job to its end; false when it failed or did not end in time.
bool run(QKeychain::Job &job, QString *why)
{
    bool done = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done) {
        if (why)
            *why = QStringLiteral("The keyring did not answer.");
        return false;
    }
    if (job.error() != QKeychain::NoError && why)
        *why = job.errorString();
    return job.error() == QKeychain::NoError;
}

} // namespace

bool KeyringAvailable()
{
    if (!QCoreApplication::instance())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
}

bool KeyringWrite(const QString &key, const QString &secret, QString *why)
{
    if (!KeyringAvailable()) {
        if (why)
            *why = QStringLiteral("No keyring is running.");
        return false;
    }
    QKeychain::WritePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    job.setTextData(secret);
    return run(job, why);
}

bool KeyringRead(const QString &key, QString *secret)
{
    if (!KeyringAvailable())
        return false;
    QKeychain::ReadPasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    if (!run(job, nullptr))
        return false;
    *secret = job.textData();
    return true;
}

bool KeyringDelete(const QString &key)
{
    if (!KeyringAvailable())
        return false;
    QKeychain::DeletePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    return run(job, nullptr) || job.error() == QKeychain::EntryNotFound;
}

} // namespace platform
