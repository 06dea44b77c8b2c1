#pragma once
// Shared test support: isolated folders, answers for message boxes and modal dialogs, and local
// servers run with Debian's /usr/bin/python3.
#include "platform/application.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QPointer>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <deque>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace k5test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, KESTROVA_HOME and TMPDIR at a fresh temporary tree and
// returns its root; the session bus is one that does not exist unless K5_TEST_KEYRING says the test runs
// on a private bus with a test keyring (tests/support/withkeyring.sh). Called by K5_TEST_MAIN before the application object exists.
QString IsolateEnvironment();
// Empties the config and program folders between cases and forgets cached stores.
void ResetEnvironment();
// The isolated root of this test run.
QString Root();
// Removes the isolated tree (at exit).
void RemoveEnvironment();

// Answers message boxes from a queue (IDOK when empty) and modal dialogs with a callback (mrCancel when
// none); records every message box shown. Restores the previous state when destroyed.
class Answerer {
public:
    Answerer();
    ~Answerer();
    void Queue(int answer) { answers_.push_back(answer); }
    void OnModal(std::function<int(QDialog *)> f) { modal_ = std::move(f); }
    const QList<platform::MessageRequest> &Messages() const { return messages_; }
    QStringList Texts() const;
    int ModalCount() const { return modals_; }
    void Clear() { messages_.clear(); }

private:
    std::deque<int> answers_;
    std::function<int(QDialog *)> modal_;
    QList<platform::MessageRequest> messages_;
    int modals_ = 0;
};

// Answers the real modal windows that come up, one step per window in order, the way a user does: from
// the event loop while the window runs its own. Nothing goes through the program's seams.
// Of several users alive at once, the oldest one with steps left acts; when none has any, the newest
// answers any window with its escape button (noted in Texts as "unexpected: " and its text or title), so
// no window is left waiting for ever. A window that the acting user's next step does not take within
// UnansweredSeconds is answered the same way (noted as "unanswered: "), so a test fails at once rather
// than hanging. A step that brings up a further window from within its own action (a nested question) has
// it answered by the next step.
class User {
public:
    // Handles the active modal window; false when it is not the window this step expects (it is then
    // offered the next window seen).
    using Step = std::function<bool(QWidget *modal)>;

    User();
    ~User();
    User(const User &) = delete;
    User &operator=(const User &) = delete;

    User &Then(Step step);
    // Clicks the visible button that reads `button` ("&" marks ignored) in a message box or a dialog,
    // noting a message box's text.
    User &Click(const QString &button);
    // Puts a path into a file dialog's name box and presses Enter.
    User &TypeFileName(const QString &path);
    // Replaces the text of an input box with `text` key by key, noting what it offered first.
    User &TypeInput(const QString &text);
    // Presses Escape in the active modal window, noting a message box's text.
    User &Escape();
    bool Done() const { return steps_.empty(); }
    static constexpr int UnansweredSeconds = 5;

    // The texts of the message boxes answered and of the input boxes typed into, in order.
    QStringList Texts;

private:
    void poll();
    void dismiss(QWidget *w, const QString &why);
    std::deque<Step> steps_;
    // Set while the Enter for a file dialog is on its way: no step may act on that dialog meanwhile.
    // Shared with the posted key, which may outlive this user.
    std::shared_ptr<bool> typing_ = std::make_shared<bool>(false);
    // Each poll is a timer of its own, set before a step runs: a step's nested event loop goes on polling.
    QObject anchor_;
    QPointer<QWidget> waiting_;
    QElapsedTimer waitingFor_;
};

// Lets the event loop run, deferred deletions included, as it does between two user actions.
void Settle();

// A port on 127.0.0.1 that refuses connections while this object lives: it is bound without listening
// (and without address re-use), so no server can take it meanwhile.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort &) = delete;
    ClosedPort &operator=(const ClosedPort &) = delete;
    quint16 Port() const { return port_; }

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

// Runs /usr/bin/python3 with a script and arguments. The script binds a port of the system's choice and
// prints "PORT n" on a line of its own once it accepts connections; Start() waits for that line.
class PythonServer {
public:
    PythonServer() = default;
    ~PythonServer();
    bool Start(const QString &script, const QStringList &args, int timeoutMs = 15000);
    void Stop();
    bool Running() const;
    // The port the server reported; 0 before it did.
    quint16 Port() const { return port_; }
    // What the server printed besides its port line.
    QString Output();

private:
    QProcess process_;
    QByteArray output_;
    quint16 port_ = 0;
};

// A second name for an existing file, made before a save over it. A save that writes a new file and
// renames it over the old one leaves the old bytes under this name; a save that truncates and writes
// the file in place changes them. Unlike a read-only folder this holds for root too. The name lives
// under Root()/links, away from the file's folder, and goes with this object.
class HardLink {
public:
    explicit HardLink(const QString &path);
    ~HardLink();
    HardLink(const HardLink &) = delete;
    HardLink &operator=(const HardLink &) = delete;
    // Empty when the link was made, else why not.
    QString Error() const { return error_; }
    // What the link holds now.
    QByteArray Bytes() const;

private:
    QString link_;
    QString error_;
};

// While it lives, no file of this process may grow past `bytes`: a write beyond fails (EFBIG) instead of
// raising SIGXFSZ. Root is held to it as well, so a write can be made to fail midway on every machine.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    struct sigaction oldAction_ {};
};

// Writes a file (creating folders); returns its path.
QString WriteFile(const QString &path, const QByteArray &bytes);

// Names in a folder that are no files: a named pipe, a listening socket (closed with the object, its name
// stays) and a folder, each named "<stem>.<kind>.<extension>" so a file dialog's filter shows them.
class NotFiles {
public:
    NotFiles(const QString &dir, const QString &stem, const QString &extension);
    ~NotFiles();
    NotFiles(const NotFiles &) = delete;
    NotFiles &operator=(const NotFiles &) = delete;
    QString Pipe, Socket, Folder;
    // Empty when all three were made, else why not.
    QString Error;
    QStringList All() const { return {Pipe, Socket, Folder}; }

private:
    int socket_ = -1;
};

// While it lives, something that waits on this named pipe (to read or to write) is set free every
// `seconds`, so a test goes on and fails instead of hanging for ever. Fired() tells whether it had to.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString &pipe, int seconds = 2);
    ~PipeWatchdog();
    PipeWatchdog(const PipeWatchdog &) = delete;
    PipeWatchdog &operator=(const PipeWatchdog &) = delete;
    bool Fired() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
QByteArray ReadFile(const QString &path);

// Types into a field the way a user does: a line edit, a combo's edit or a memo is emptied and gets
// keystrokes ("\n" is Enter); a character beyond ASCII comes as from a keyboard laid out for it.
inline void Type(QWidget *field, const QString &text)
{
    QWidget *target = field;
    if (auto *combo = qobject_cast<QComboBox *>(field)) {
        combo->lineEdit()->clear();
        target = combo->lineEdit();
    } else if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->clear();
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(field)) {
        memo->clear();
    }
    target->setFocus();
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(target, Qt::Key_Return);
        else if (c.unicode() < 128)
            QTest::keyClick(target, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace k5test

#define K5_TEST_MAIN(TestClass)                                                                            \
    int main(int argc, char **argv)                                                                        \
    {                                                                                                      \
        k5test::IsolateEnvironment();                                                                      \
        platform::Application app(argc, argv);                                                             \
        int rc = 0;                                                                                        \
        {                                                                                                  \
            TestClass t;                                                                                   \
            rc = QTest::qExec(&t, argc, argv);                                                             \
        }                                                                                                  \
        k5test::RemoveEnvironment();                                                                       \
        return rc;                                                                                         \
    }
