#include "k5test.h"

#include "platform/filenames.h"
#include "platform/folders.h"
#include "platform/registry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace k5test {
namespace {

QString root;
// The users alive, oldest first.
std::vector<User *> users;
// The windows that running steps are handling: a poll from a step's nested event loop leaves them alone.
QList<QPointer<QWidget>> handling;

void setEnv(const char *name, const QString &value)
{
    qputenv(name, QFile::encodeName(value));
}

} // namespace

QString IsolateEnvironment()
{
    QByteArray templ = QFile::encodeName(QDir::tempPath() + QStringLiteral("/k5test-XXXXXX"));
    if (!mkdtemp(templ.data()))
        qFatal("cannot create a temporary folder");
    root = QFile::decodeName(templ);
    for (const char *sub : {"home", "config", "data", "program", "tmp"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    setEnv("HOME", root + QStringLiteral("/home"));
    setEnv("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
    setEnv("XDG_DATA_HOME", root + QStringLiteral("/data"));
    setEnv("KESTROVA_HOME", root + QStringLiteral("/program"));
    setEnv("TMPDIR", root + QStringLiteral("/tmp"));
    // The user's own session bus would lead to the user's keyring: only a test's private bus is used.
    if (qEnvironmentVariableIsEmpty("K5_TEST_KEYRING"))
        setEnv("DBUS_SESSION_BUS_ADDRESS", QStringLiteral("unix:path=") + root + QStringLiteral("/no-session-bus"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::ResetFolders();
    return root;
}

QString Root()
{
    return root;
}

void ResetEnvironment()
{
    for (const char *sub : {"config", "program"}) {
        QDir d(root + QLatin1Char('/') + QLatin1String(sub));
        d.removeRecursively();
        QDir().mkpath(d.path());
    }
    platform::ResetFolders();
    platform::Registry::ResetStore();
    platform::Registry::ClearLocalMachine();
}

void RemoveEnvironment()
{
    if (!root.isEmpty() && root.contains(QLatin1String("k5test-")))
        QDir(root).removeRecursively();
}

Answerer::Answerer()
{
    platform::SetMessageAnswerer([this](const platform::MessageRequest &r) {
        messages_ << r;
        if (answers_.empty())
            return int(platform::IDOK);
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    });
    platform::SetModalAnswerer([this](QDialog *d) {
        ++modals_;
        return modal_ ? modal_(d) : int(platform::mrCancel);
    });
}

Answerer::~Answerer()
{
    platform::SetMessageAnswerer(nullptr);
    platform::SetModalAnswerer(nullptr);
}

QStringList Answerer::Texts() const
{
    QStringList out;
    for (const auto &m : messages_)
        out << m.text;
    return out;
}

User::User()
{
    users.push_back(this);
    QTimer::singleShot(5, &anchor_, [this] { poll(); });
}

User::~User()
{
    users.erase(std::find(users.begin(), users.end(), this));
}

User &User::Then(Step step)
{
    steps_.push_back(std::move(step));
    return *this;
}

User &User::Click(const QString &button)
{
    const QString wanted = QString(button).remove(QLatin1Char('&'));
    return Then([this, wanted](QWidget *w) {
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (b->isVisible() && b->text().remove(QLatin1Char('&')) == wanted) {
                if (auto *box = qobject_cast<QMessageBox *>(w))
                    Texts << box->text();
                QTest::mouseClick(b, Qt::LeftButton);
                return true;
            }
        }
        return false;
    });
}

User &User::TypeFileName(const QString &path)
{
    return Then([this, path](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!edit || !edit->isVisible())
            return false;
        // Pasted rather than typed: the completion list that typing opens would take the Return.
        edit->setFocus();
        edit->setText(path);
        // Pressed from the event loop, not from this poll: a question it brings up (replace the file?)
        // runs a loop of its own, in which the timer must fire again to answer it.
        *typing_ = true;
        QTimer::singleShot(0, edit, [typing = typing_, edit] {
            *typing = false;
            QTest::keyClick(edit, Qt::Key_Return);
        });
        return true;
    });
}

User &User::TypeInput(const QString &text)
{
    return Then([this, text](QWidget *w) {
        auto *dialog = qobject_cast<QInputDialog *>(w);
        auto *edit = dialog ? dialog->findChild<QLineEdit *>() : nullptr;
        if (!edit || !edit->isVisible())
            return false;
        Texts << edit->text();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        return true;
    });
}

User &User::Escape()
{
    return Then([this](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            Texts << box->text();
        QTest::keyClick(w, Qt::Key_Escape);
        return true;
    });
}

void User::poll()
{
    QTimer::singleShot(5, &anchor_, [this] { poll(); });
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || (*typing_ && qobject_cast<QFileDialog *>(w)) || handling.contains(w))
        return;
    const auto acting = std::find_if(users.begin(), users.end(), [](const User *u) { return !u->Done(); });
    if (acting == users.end()) {
        if (users.back() == this)
            dismiss(w, QStringLiteral("unexpected: "));
        return;
    }
    if (*acting != this)
        return;
    // Taken first: a step may bring up a further window, which the next step answers.
    Step step = std::move(steps_.front());
    steps_.pop_front();
    handling << QPointer<QWidget>(w);
    const bool took = step(w);
    handling.removeLast(); // steps end in the reverse order they began
    if (took) {
        waiting_ = nullptr;
        return;
    }
    steps_.push_front(std::move(step));
    if (waiting_ != w) {
        waiting_ = w;
        waitingFor_.start();
    } else if (waitingFor_.elapsed() > UnansweredSeconds * 1000) {
        waiting_ = nullptr;
        dismiss(w, QStringLiteral("unanswered: "));
    }
}

void User::dismiss(QWidget *w, const QString &why)
{
    auto *box = qobject_cast<QMessageBox *>(w);
    if (box && box->escapeButton()) {
        Texts << why + box->text();
        QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
    } else if (box) {
        Texts << why + box->text();
        box->done(QMessageBox::Cancel);
    } else if (auto *dialog = qobject_cast<QDialog *>(w)) {
        Texts << why + dialog->windowTitle();
        dialog->reject();
    } else {
        Texts << why + w->windowTitle();
        w->close();
    }
}

void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &oldAction_);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
        qFatal("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    sigaction(SIGXFSZ, &oldAction_, nullptr);
}

ClosedPort::ClosedPort()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        qFatal("cannot hold a closed port");
    port_ = ntohs(a.sin_port);
}

ClosedPort::~ClosedPort()
{
    ::close(fd_);
}

PythonServer::~PythonServer()
{
    Stop();
}

bool PythonServer::Start(const QString &script, const QStringList &args, int timeoutMs)
{
    port_ = 0;
    output_.clear();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-u"), script} + args);
    if (!process_.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer t;
    t.start();
    for (;;) {
        while (process_.canReadLine()) {
            const QByteArray line = process_.readLine();
            bool ok = false;
            const uint port = line.startsWith("PORT ") ? line.mid(5).trimmed().toUInt(&ok) : 0;
            if (ok && port > 0 && port <= 0xFFFF) {
                port_ = quint16(port);
                return true;
            }
            output_ += line;
        }
        const qint64 left = timeoutMs - t.elapsed();
        if (left <= 0 || !process_.waitForReadyRead(int(left))) {
            output_ += process_.readAll();
            qWarning("python server gave no port: %s", output_.constData());
            Stop();
            return false;
        }
    }
}

void PythonServer::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool PythonServer::Running() const
{
    return process_.state() == QProcess::Running;
}

QString PythonServer::Output()
{
    output_ += process_.readAll();
    return QString::fromLocal8Bit(output_);
}

HardLink::HardLink(const QString &path)
{
    static int made = 0;
    const QString folder = root + QStringLiteral("/links");
    QDir().mkpath(folder);
    link_ = folder + QStringLiteral("/%1-%2").arg(++made).arg(QFileInfo(path).fileName());
    QFile::remove(link_);
    if (::link(platform::EncodeName(path).constData(), QFile::encodeName(link_).constData()) != 0) {
        error_ = QStringLiteral("cannot link %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        link_.clear();
    }
}

HardLink::~HardLink()
{
    if (!link_.isEmpty())
        QFile::remove(link_);
}

QByteArray HardLink::Bytes() const
{
    return link_.isEmpty() ? QByteArray() : ReadFile(link_);
}

NotFiles::NotFiles(const QString &dir, const QString &stem, const QString &extension)
{
    QDir().mkpath(dir);
    auto name = [&](const char *kind) { return dir + QLatin1Char('/') + stem + QLatin1Char('.') + QLatin1String(kind) + QLatin1Char('.') + extension; };
    Pipe = name("pipe");
    Socket = name("socket");
    Folder = name("folder");
    if (::mkfifo(QFile::encodeName(Pipe).constData(), 0600) != 0)
        Error = QStringLiteral("mkfifo: ") + QString::fromLocal8Bit(std::strerror(errno));
    if (!QDir().mkpath(Folder))
        Error = QStringLiteral("cannot make ") + Folder;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(Socket);
    if (socketName.size() >= int(sizeof addr.sun_path)) {
        Error = QStringLiteral("socket name too long: ") + Socket;
        return;
    }
    memcpy(addr.sun_path, socketName.constData(), socketName.size());
    socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(socket_, 1) != 0)
        Error = QStringLiteral("socket: ") + QString::fromLocal8Bit(std::strerror(errno));
}

NotFiles::~NotFiles()
{
    if (socket_ >= 0)
        ::close(socket_);
}

struct PipeWatchdog::State {
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    std::atomic<bool> fired{false};
    std::thread thread;
};

PipeWatchdog::PipeWatchdog(const QString &pipe, int seconds) : state_(std::make_shared<State>())
{
    // A writer set free writes into a pipe whose reader is gone: that must fail, not end the test.
    ::signal(SIGPIPE, SIG_IGN);
    state_->thread = std::thread([state = state_.get(), name = QFile::encodeName(pipe), seconds] {
        std::unique_lock<std::mutex> hold(state->lock);
        while (!state->wake.wait_for(hold, std::chrono::seconds(seconds), [state] { return state->stop; })) {
            // A writer opens only while something reads (or waits in open() to): it sees the end of the
            // data once the writer goes.
            if (const int w = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); w >= 0) {
                state->fired = true;
                ::close(w);
            }
            // A reader sets free a writer waiting in open(); with a writer there, a read finds no data
            // rather than the end of it.
            if (const int r = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); r >= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                char c;
                if (::read(r, &c, 1) != 0)
                    state->fired = true;
                ::close(r);
            }
        }
    });
}

PipeWatchdog::~PipeWatchdog()
{
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->stop = true;
    }
    state_->wake.notify_all();
    state_->thread.join();
}

bool PipeWatchdog::Fired() const { return state_->fired; }

QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

} // namespace k5test
