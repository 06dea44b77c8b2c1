#include "tools/publish/bt_ddftp.h"

#include "platform/error.h"
#include "platform/registry.h"
#include "platform/shell/volumes.h"

#include "k5ftpserver.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QTreeView>
#include <QUrl>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>
#include <utime.h>

using namespace publish;

struct Message {
    QString text;
    bool isError;
};

class TestDdFtp : public QObject {
    Q_OBJECT

private:
    k5test::FtpServer server_;
    QList<Message> messages_;
    int changes_ = 0;
    int dblClicks_ = 0;

    std::unique_ptr<TBTDragDropFTP> make(bool passive = true)
    {
        auto f = std::make_unique<TBTDragDropFTP>(nullptr);
        f->SetHostName(QStringLiteral("127.0.0.1"));
        f->SetPort(server_.Port());
        f->SetLoginName(server_.user);
        f->SetPassword(server_.password);
        f->SetPassive(passive);
        f->OnDisplayMessage = [this](QObject *, const QString &text, bool isError) { messages_ << Message{text, isError}; };
        f->OnChange = [this](QObject *) { ++changes_; };
        f->OnDblClick = [this](QObject *) { ++dblClicks_; };
        f->Loaded();
        return f;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages_)
            out << m.text;
        return out;
    }

    QStringList errors() const
    {
        QStringList out;
        for (const Message &m : messages_)
            if (m.isError)
                out << m.text;
        return out;
    }

    static QAbstractItemModel *model(TBTDragDropFTP &f) { return view(f)->model(); }
    static QTreeView *view(TBTDragDropFTP &f) { return f.findChild<QTreeView *>(QStringLiteral("ListView")); }

    static QString cell(TBTDragDropFTP &f, int row, int column)
    {
        return model(f)->index(row, column).data().toString();
    }

    static QStringList names(TBTDragDropFTP &f)
    {
        QStringList out;
        for (int r = 0; r < model(f)->rowCount(); ++r)
            out << cell(f, r, 0);
        return out;
    }

    static void select(TBTDragDropFTP &f, const QString &name)
    {
        const int row = int(names(f).indexOf(name));
        QVERIFY2(row >= 0, qPrintable(name));
        view(f)->selectionModel()->select(model(f)->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    static QAction *item(QMenu *menu, const QString &text)
    {
        for (QAction *a : menu->actions()) {
            if (a->text() == text)
                return a;
            if (a->menu())
                if (QAction *sub = item(a->menu(), text))
                    return sub;
        }
        return nullptr;
    }

    static void setDate(const QString &path, const QDateTime &when)
    {
        // folders too, which QFile cannot open
        const utimbuf times{time_t(when.toSecsSinceEpoch()), time_t(when.toSecsSinceEpoch())};
        QCOMPARE(utime(QFile::encodeName(path).constData(), &times), 0);
    }

    void seed()
    {
        QDir(server_.Root()).removeRecursively();
        QDir().mkpath(server_.Root());
        k5test::WriteFile(server_.Path(QStringLiteral("index.html")), QByteArray(2000, 'h'));
        k5test::WriteFile(server_.Path(QStringLiteral("b notes.txt")), QByteArray(17, 't'));
        k5test::WriteFile(server_.Path(QStringLiteral("a.gif")), QByteArray(1000, 'g'));
        k5test::WriteFile(server_.Path(QStringLiteral("sub dir/inner.htm")), "inner");
        QDir().mkpath(server_.Path(QStringLiteral("empty")));
        setDate(server_.Path(QStringLiteral("index.html")), QDateTime(QDate(2020, 5, 1), QTime(10, 0, 3)));
        setDate(server_.Path(QStringLiteral("b notes.txt")), QDateTime(QDate(2021, 5, 1), QTime(10, 0)));
        setDate(server_.Path(QStringLiteral("a.gif")), QDateTime(QDate(2019, 5, 1), QTime(10, 0)));
        setDate(server_.Path(QStringLiteral("empty")), QDateTime(QDate(1975, 5, 1), QTime(10, 0)));
        setDate(server_.Path(QStringLiteral("sub dir")), QDateTime(QDate(2022, 5, 1), QTime(10, 0)));
    }

    QString localFile(const QString &name, const QByteArray &bytes)
    {
        return k5test::WriteFile(k5test::Root() + QStringLiteral("/local/") + name, bytes);
    }

    void waitIdle(TBTDragDropFTP &f) { QTRY_VERIFY_WITH_TIMEOUT(!f.Busy(), 30000); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(server_.Start({QStringLiteral("--refuse"), QStringLiteral("refused.htm")}));
    }

    void init()
    {
        k5test::ResetEnvironment();
        seed();
        messages_.clear();
        changes_ = dblClicks_ = 0;
    }

    void startsDisconnected()
    {
        auto f = make();
        QCOMPARE(texts(), QStringList{QStringLiteral("Not connected")});
        QVERIFY(!f->Connected());
        QVERIFY(!f->Active());
        QVERIFY(f->Passive());
        TBTDragDropFTP plain(nullptr);
        QCOMPARE(plain.HostName(), QStringLiteral("localhost"));
        QCOMPARE(plain.LoginName(), QStringLiteral("anonymous"));
        QCOMPARE(plain.Port(), 21);
        QVERIFY(plain.Password().isEmpty());
        QCOMPARE(model(*f)->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
        QCOMPARE(view(*f)->columnWidth(0), 150);
        QCOMPARE(view(*f)->columnWidth(3), 200);
    }

    void connectChecksSettingsInOrder()
    {
        auto f = make();
        messages_.clear();
        auto failure = [&]() -> QString {
            try {
                f->Connect();
            } catch (const platform::Error &e) {
                return e.message();
            }
            return QString();
        };
        f->SetHostName(QString());
        f->SetLoginName(QString());
        f->SetPassword(QString());
        QCOMPARE(failure(), QStringLiteral("HostName must be specified"));
        f->SetHostName(QStringLiteral("127.0.0.1"));
        QCOMPARE(failure(), QStringLiteral("LoginName must be specified"));
        f->SetLoginName(server_.user);
        QCOMPARE(failure(), QStringLiteral("Password must be specified"));
        QVERIFY(messages_.isEmpty());
        QVERIFY(!f->Connected());
    }

    void connectsAndLists_data()
    {
        k5test::AddTransferModeRows();
    }

    void connectsAndLists()
    {
        QFETCH(bool, passive);
        // HKEY_CLASSES_ROOT knows .htm only; the rest are named from their extension.
        platform::Registry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Classes\\.gif"), true));
        reg.WriteString(QString(), QStringLiteral("giffile"));
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Classes\\giffile"), true));
        reg.WriteString(QString(), QStringLiteral("GIF Image"));
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Classes\\Folder"), true));
        reg.WriteString(QString(), QStringLiteral("File Folder"));

        auto f = make(passive);
        messages_.clear();
        QVERIFY(f->Connect());
        QVERIFY(f->Connected());
        QCOMPARE(texts(), (QStringList{QStringLiteral("Connecting to 127.0.0.1"), QStringLiteral("Connected to 127.0.0.1"),
                                       QStringLiteral("Transferring data for /"),
                                       QStringLiteral("Transfer completed (3,017 bytes in 3 files)")}));
        QCOMPARE(changes_, 1);
        // at the root there is no ".."; folders come first in the name order
        QCOMPARE(names(*f), (QStringList{QStringLiteral("empty"), QStringLiteral("sub dir"), QStringLiteral("a.gif"),
                                         QStringLiteral("b notes.txt"), QStringLiteral("index.html")}));
        QCOMPARE(cell(*f, 0, 1), QString());
        QCOMPARE(cell(*f, 2, 1), QStringLiteral("1000"));
        QCOMPARE(cell(*f, 0, 3), QStringLiteral("File Folder"));
        QCOMPARE(cell(*f, 2, 3), QStringLiteral("GIF Image"));
        QCOMPARE(cell(*f, 3, 3), QStringLiteral("TXT File"));
        QCOMPARE(cell(*f, 4, 3), QStringLiteral("HTML File"));
        // the date a DOS time stamp holds: local time, even seconds; a date before 1980 stays blank
        QCOMPARE(cell(*f, 4, 2),
                 QLocale().toString(QDateTime(QDate(2020, 5, 1), QTime(10, 0, 2)), QLocale::ShortFormat));
        QCOMPARE(cell(*f, 0, 2), QString());
        QVERIFY(!cell(*f, 1, 2).isEmpty());
        QVERIFY(!model(*f)->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        // Each file shows the desktop's icon for its type, whatever the type.
        for (int row = 2; row < 5; ++row) {
            const QIcon icon = model(*f)->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            QVERIFY2(!icon.isNull(), qPrintable(cell(*f, row, 0)));
            QCOMPARE(icon.pixmap(16, 16).toImage(), platform::FileTypeIcon(cell(*f, row, 0)).pixmap(16, 16).toImage());
        }
    }

    void connectToRemoteDir()
    {
        auto f = make();
        f->SetRemoteDir(QStringLiteral("sub dir"));
        QVERIFY(f->Connect());
        QCOMPARE(names(*f), (QStringList{QStringLiteral(".."), QStringLiteral("inner.htm")}));
        QVERIFY(texts().contains(QStringLiteral("Transferring data for /sub dir")));

        messages_.clear();
        f->SetRemoteDir(QStringLiteral("nowhere"));
        QVERIFY(!f->Connect());
        QVERIFY(f->Connected());
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not change to nowhere")});
    }

    void reportsBadHostAndLogin()
    {
        auto f = make();
        f->SetPassword(QStringLiteral("wrong"));
        messages_.clear();
        QVERIFY(!f->Connect());
        QVERIFY(!f->Connected());
        QCOMPARE(texts(), (QStringList{QStringLiteral("Connecting to 127.0.0.1"), QStringLiteral("Could not connect to 127.0.0.1"),
                                       QStringLiteral("Not connected")}));
        QVERIFY(messages_[1].isError);

        messages_.clear();
        f->SetPassword(server_.password);
        const k5test::ClosedPort closed;
        f->SetPort(closed.Port());
        QVERIFY(!f->Connect());
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not connect to 127.0.0.1")});
        f->SetHostName(QStringLiteral("no host"));
        QVERIFY(!f->Connect());
        QCOMPARE(errors().last(), QStringLiteral("Could not connect to no host"));
    }

    void sortsByColumns()
    {
        auto f = make();
        QVERIFY(f->Connect());
        QHeaderView *header = view(*f)->header();
        // Size: folders (no size) first, then ascending; a second click turns it round
        emit header->sectionClicked(1);
        QCOMPARE(names(*f).mid(2), (QStringList{QStringLiteral("b notes.txt"), QStringLiteral("a.gif"),
                                                QStringLiteral("index.html")}));
        emit header->sectionClicked(1);
        QCOMPARE(names(*f).mid(0, 3), (QStringList{QStringLiteral("index.html"), QStringLiteral("a.gif"),
                                                   QStringLiteral("b notes.txt")}));
        // Date: blank dates first
        emit header->sectionClicked(2);
        QCOMPARE(names(*f), (QStringList{QStringLiteral("empty"), QStringLiteral("a.gif"), QStringLiteral("index.html"),
                                         QStringLiteral("b notes.txt"), QStringLiteral("sub dir")}));
        // Type: folders by name first, then the type texts
        emit header->sectionClicked(3);
        QCOMPARE(names(*f), (QStringList{QStringLiteral("empty"), QStringLiteral("sub dir"), QStringLiteral("a.gif"),
                                         QStringLiteral("index.html"), QStringLiteral("b notes.txt")}));
        // the Order menu sets the key and keeps its direction
        QAction *byName = item(f->PopupMenu(), QStringLiteral("by Name"));
        byName->trigger();
        QVERIFY(byName->isChecked());
        QCOMPARE(names(*f).first(), QStringLiteral("empty"));
        item(f->PopupMenu(), QStringLiteral("by Size"))->trigger();
        QCOMPARE(names(*f).first(), QStringLiteral("index.html")); // still descending
        // the selection stays on its entry through a sort
        select(*f, QStringLiteral("a.gif"));
        item(f->PopupMenu(), QStringLiteral("by Date"))->trigger();
        const QModelIndexList sel = view(*f)->selectionModel()->selectedRows();
        QCOMPARE(sel.size(), 1);
        QCOMPARE(sel.first().data().toString(), QStringLiteral("a.gif"));
    }

    void browsesFolders()
    {
        auto f = make();
        QVERIFY(f->Connect());
        select(*f, QStringLiteral("sub dir"));
        f->GetSelected();
        QCOMPARE(dblClicks_, 1);
        QCOMPARE(names(*f), (QStringList{QStringLiteral(".."), QStringLiteral("inner.htm")}));
        select(*f, QStringLiteral(".."));
        f->GetSelected();
        QCOMPARE(names(*f).size(), 5);

        select(*f, QStringLiteral("empty"));
        messages_.clear();
        f->GetSelected();
        QCOMPARE(texts(), (QStringList{QStringLiteral("Transferring data for /empty"),
                                       QStringLiteral("Transfer completed (0 bytes in 0 files)")}));
        QCOMPARE(names(*f), QStringList{QStringLiteral("..")});

        // a folder that went away: error, connection and listing kept
        select(*f, QStringLiteral(".."));
        f->GetSelected();
        QVERIFY(QDir(server_.Path(QStringLiteral("sub dir"))).removeRecursively());
        select(*f, QStringLiteral("sub dir"));
        messages_.clear();
        f->GetSelected();
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not change to directory sub dir")});
        QVERIFY(f->Connected());
        QCOMPARE(names(*f).size(), 5);
        QCOMPARE(dblClicks_, 5);
    }

    void getsFiles()
    {
        auto f = make();
        QVERIFY(f->Connect());
        const QString target = localFile(QStringLiteral("got.html"), "old contents");
        QString answer = target;
        QString asked;
        f->OnGetLocalFile = [&](QObject *, const QString &remote, QString &local) {
            asked = remote;
            QVERIFY(local.isEmpty());
            local = answer;
        };
        select(*f, QStringLiteral("index.html"));
        f->GetSelected();
        QCOMPARE(asked, QStringLiteral("index.html"));
        QCOMPARE(k5test::ReadFile(target), QByteArray(2000, 'h'));
        QCOMPARE(dblClicks_, 1);

        // an empty answer cancels
        answer.clear();
        QFile::remove(target);
        f->GetSelected();
        QVERIFY(!QFile::exists(target));

        // a failed download leaves the old file whole and nothing beside it
        answer = localFile(QStringLiteral("keep.txt"), "keep me");
        QFile::remove(server_.Path(QStringLiteral("b notes.txt")));
        select(*f, QStringLiteral("b notes.txt"));
        messages_.clear();
        f->GetSelected();
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors().first().startsWith(QStringLiteral("Could not get b notes.txt (Win32 Error 12003)")),
                 qPrintable(errors().first()));
        QCOMPARE(k5test::ReadFile(answer), QByteArray("keep me"));
        QCOMPARE(QDir(k5test::Root() + QStringLiteral("/local")).entryList(QDir::Files),
                 QStringList{QStringLiteral("keep.txt")});
        QCOMPARE(dblClicks_, 3);
    }

    void deletesWithQuestion()
    {
        auto f = make();
        QVERIFY(f->Connect());
        k5test::Answerer answers;
        answers.Queue(platform::IDNO);
        select(*f, QStringLiteral("a.gif"));
        f->DeleteSelected();
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Delete \"a.gif\" ?")});
        QCOMPARE(answers.Messages().first().flags & 0xF, unsigned(platform::MB_YESNO));
        QVERIFY(QFile::exists(server_.Path(QStringLiteral("a.gif"))));

        answers.Queue(platform::IDYES);
        f->DeleteSelected();
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("a.gif"))));
        QVERIFY(!names(*f).contains(QStringLiteral("a.gif")));

        answers.Clear();
        answers.Queue(platform::IDYES);
        select(*f, QStringLiteral("empty"));
        f->DeleteSelected();
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Delete folder \"empty\" ?")});
        QVERIFY(!QFileInfo::exists(server_.Path(QStringLiteral("empty"))));

        // a bound handler answers instead of the question box
        QString asked;
        f->OnGetConfirmation = [&](QObject *, const QString &text, bool &confirm) {
            asked = text;
            QVERIFY(!confirm);
            confirm = true;
        };
        answers.Clear();
        select(*f, QStringLiteral("sub dir"));
        messages_.clear();
        f->DeleteSelected();
        QCOMPARE(asked, QStringLiteral("Delete folder \"sub dir\" ?"));
        QVERIFY(answers.Texts().isEmpty());
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not delete folder sub dir (Win32 Error 12003)")});
        QVERIFY(names(*f).contains(QStringLiteral("sub dir")));

        QFile::remove(server_.Path(QStringLiteral("index.html")));
        select(*f, QStringLiteral("index.html"));
        messages_.clear();
        f->DeleteSelected();
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not delete index.html (Win32 Error 12003)")});
    }

    void renamesInPlace()
    {
        auto f = make();
        QVERIFY(f->Connect());
        f->show();
        select(*f, QStringLiteral("a.gif"));
        f->RenameSelected();
        auto *editor = view(*f)->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("a.gif"));
        editor->setText(QStringLiteral("b c.gif"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(QFile::exists(server_.Path(QStringLiteral("b c.gif")))); // the delegate commits later
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("a.gif"))));
        QVERIFY(names(*f).contains(QStringLiteral("b c.gif")));

        // the renamed entry answers to its new name
        k5test::Answerer answers;
        answers.Queue(platform::IDYES);
        select(*f, QStringLiteral("b c.gif"));
        f->DeleteSelected();
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("b c.gif"))));

        // a refused rename keeps the old caption; a line break is never sent
        select(*f, QStringLiteral("index.html"));
        const QModelIndex index = view(*f)->selectionModel()->selectedRows().first();
        messages_.clear();
        QVERIFY(!model(*f)->setData(index, QStringLiteral("x\r\nDELE b notes.txt")));
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not rename index.html (Win32 Error 123)")});
        QCOMPARE(index.data().toString(), QStringLiteral("index.html"));
        QVERIFY(QFile::exists(server_.Path(QStringLiteral("b notes.txt"))));
        // an unchanged caption does nothing
        messages_.clear();
        QVERIFY(!model(*f)->setData(index, QStringLiteral("index.html")));
        QVERIFY(messages_.isEmpty());
    }

    void makesNewFolders()
    {
        auto f = make();
        f->NewFolder(QStringLiteral("x"));
        QCOMPARE(errors(), QStringList{QStringLiteral("No connection to host.")});
        QVERIFY(f->Connect());

        k5test::Answerer answers;
        QString title, prompt;
        answers.OnModal([&](QDialog *d) {
            auto *box = qobject_cast<QInputDialog *>(d);
            title = box->windowTitle();
            prompt = box->labelText();
            box->setTextValue(QStringLiteral("  new one "));
            return int(platform::mrOk);
        });
        item(f->PopupMenu(), QStringLiteral("New Folder"))->trigger();
        QCOMPARE(title, QStringLiteral("New folder"));
        QCOMPARE(prompt, QStringLiteral("Folder name:"));
        QVERIFY(QFileInfo(server_.Path(QStringLiteral("new one"))).isDir());
        QVERIFY(names(*f).contains(QStringLiteral("new one")));

        messages_.clear();
        f->NewFolder(QStringLiteral("   "));
        QVERIFY(messages_.isEmpty());
        f->NewFolder(QStringLiteral("new one"));
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not create new folder (Win32 Error 12003)")});
    }

    void enablesPopupItems()
    {
        QMenu own;
        own.addAction(QStringLiteral("Owner's item"));
        auto f = std::make_unique<TBTDragDropFTP>(nullptr);
        f->SetPopupMenu(&own);
        f->SetHostName(QStringLiteral("127.0.0.1"));
        f->SetPort(server_.Port());
        f->SetLoginName(server_.user);
        f->SetPassword(server_.password);
        f->Loaded();
        QCOMPARE(own.actions().first()->text(), QStringLiteral("Owner's item"));
        QCOMPARE(own.actions().at(1)->text(), QStringLiteral("Get"));
        QCOMPARE(own.defaultAction()->text(), QStringLiteral("Get"));
        auto enabled = [&](const char *text) { return item(&own, QString::fromLatin1(text))->isEnabled(); };

        emit own.aboutToShow();
        for (const char *t : {"Get", "Delete", "Rename", "New Folder", "View", "Order", "Refresh"})
            QVERIFY2(!enabled(t), t);
        QVERIFY(f->Connect());
        emit own.aboutToShow();
        QVERIFY(!enabled("Get") && !enabled("Delete") && !enabled("Rename"));
        QVERIFY(enabled("New Folder") && enabled("View") && enabled("Order") && enabled("Refresh"));
        select(*f, QStringLiteral("index.html"));
        emit own.aboutToShow();
        QVERIFY(!enabled("Get")); // no one to ask for a local name
        QVERIFY(enabled("Delete") && enabled("Rename"));
        f->OnGetLocalFile = [](QObject *, const QString &, QString &) {};
        emit own.aboutToShow();
        QVERIFY(enabled("Get"));
        select(*f, QStringLiteral("empty"));
        emit own.aboutToShow();
        QVERIFY(!enabled("Get") && enabled("Delete"));

        // the View items switch the view
        item(&own, QStringLiteral("Large icons"))->trigger();
        QCOMPARE(f->ViewStyle(), vsIcon);
        auto *stack = f->findChild<QStackedWidget *>();
        QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("ListViewIcons"));
        QCOMPARE(qobject_cast<QListView *>(stack->currentWidget())->viewMode(), QListView::IconMode);
        item(&own, QStringLiteral("List"))->trigger();
        QCOMPARE(f->ViewStyle(), vsList);
        item(&own, QStringLiteral("Details"))->trigger();
        QCOMPARE(stack->currentWidget(), view(*f));
    }

    void uploadsFiles_data()
    {
        k5test::AddTransferModeRows();
    }

    void uploadsFiles()
    {
        QFETCH(bool, passive);
        auto f = make(passive);
        f->SetActive(true);
        QVERIFY(f->Connect());
        select(*f, QStringLiteral("sub dir"));
        f->GetSelected();
        const QString one = localFile(QStringLiteral("one.html"), QByteArray(1500, 'x') + "\r\n");
        const QString two = localFile(QStringLiteral("two words.txt"), QByteArray(1000, 'y'));
        const QString missing = k5test::Root() + QStringLiteral("/local/missing.txt");
        messages_.clear();
        QVERIFY(f->Upload(one + QStringLiteral("\r\n") + missing + QStringLiteral("\r\n") + two + QStringLiteral("\r\n")));
        QVERIFY(f->Busy());
        QVERIFY(!f->acceptDrops());
        // while it runs, a second upload and the server commands are refused
        QVERIFY(!f->Upload(one));
        emit f->PopupMenu()->aboutToShow();
        for (const char *t : {"Get", "Delete", "Rename", "New Folder", "Refresh"})
            QVERIFY2(!item(f->PopupMenu(), QString::fromLatin1(t))->isEnabled(), t);
        QVERIFY(item(f->PopupMenu(), QStringLiteral("View"))->isEnabled());
        f->NewFolder(QStringLiteral("meanwhile"));
        f->Refresh();
        waitIdle(*f);
        QVERIFY(f->acceptDrops());
        QVERIFY(!QFileInfo::exists(server_.Path(QStringLiteral("sub dir/meanwhile"))));
        QCOMPARE(texts().mid(0, 3), QStringList(3, QStringLiteral("File upload in progress!")));
        QCOMPARE(texts().mid(3), (QStringList{QStringLiteral("Uploading \"one.html\""),
                                              QStringLiteral("Uploading \"missing.txt\""),
                                              QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(missing),
                                              QStringLiteral("Uploading \"two words.txt\""), QString(),
                                              QStringLiteral("Transferring data for /sub dir"),
                                              QStringLiteral("Transfer completed (2,507 bytes in 3 files)")}));
        QCOMPARE(errors().size(), 1);
        QCOMPARE(f->UploadFailures(),
                 QStringList{QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(missing)});
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("sub dir/one.html"))), k5test::ReadFile(one));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("sub dir/two words.txt"))), QByteArray(1000, 'y'));
        QVERIFY(names(*f).contains(QStringLiteral("two words.txt")));
    }

    // A file the server will not take is reported as not uploaded, and the files after it still go.
    void refusedFileIsReported()
    {
        auto f = make();
        f->SetActive(true);
        QVERIFY(f->Connect());
        const QString refused = localFile(QStringLiteral("refused.htm"), "<p>no</p>");
        const QString other = localFile(QStringLiteral("other.htm"), "<p>yes</p>");
        messages_.clear();
        QVERIFY(f->Upload(refused + QStringLiteral("\r\n") + other + QStringLiteral("\r\n")));
        waitIdle(*f);
        QCOMPARE(errors(), QStringList{QStringLiteral("Could not upload refused.htm (Win32 Error 12003)")});
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("refused.htm"))));
        QVERIFY(!names(*f).contains(QStringLiteral("refused.htm")));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("other.htm"))), QByteArray("<p>yes</p>"));
        QVERIFY(names(*f).contains(QStringLiteral("other.htm")));
    }

    // A name beyond ASCII reaches the server as its UTF-8 bytes and is listed as it was.
    void uploadNamesAreUtf8()
    {
        auto f = make();
        f->SetActive(true);
        QVERIFY(f->Connect());
        const QString name = QString::fromUtf8("Übersicht é.htm");
        const QString local = localFile(name, "<p>inhalt</p>");
        messages_.clear();
        QVERIFY(f->Upload(local));
        waitIdle(*f);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join(QLatin1Char('\n'))));
        // The bytes on disk, as the server's file system has them.
        const QByteArray path = QFile::encodeName(server_.Root()) + "/\xc3\x9c" "bersicht \xc3\xa9.htm";
        QVERIFY(::access(path.constData(), F_OK) == 0);
        QVERIFY(QDir(server_.Root()).entryList(QDir::Files).contains(name));
        QVERIFY(names(*f).contains(name));
    }

    void uploadNeedsAConnection()
    {
        auto f = make();
        const k5test::ClosedPort closed;
        f->SetPort(closed.Port());
        messages_.clear();
        QVERIFY(!f->Upload(localFile(QStringLiteral("a.txt"), "a")));
        QVERIFY(!f->Busy());
        QCOMPARE(errors(), (QStringList{QStringLiteral("Could not connect to 127.0.0.1"),
                                        QStringLiteral("No connection to host.")}));
        // with a good server the upload connects first
        f->SetPort(server_.Port());
        QVERIFY(f->Upload(localFile(QStringLiteral("a.txt"), "a")));
        waitIdle(*f);
        QVERIFY(QFile::exists(server_.Path(QStringLiteral("a.txt"))));
    }

    void takesDroppedFiles()
    {
        auto f = make();
        QVERIFY(f->Connect());
        auto mime = std::make_unique<QMimeData>();
        mime->setUrls({QUrl::fromLocalFile(localFile(QStringLiteral("dropped.htm"), "<P>")),
                       QUrl::fromLocalFile(localFile(QStringLiteral("second.htm"), "<B>"))});
        QDragEnterEvent deaf(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.get(), &deaf);
        QVERIFY(!deaf.isAccepted()); // not Active

        f->SetActive(true);
        QVERIFY(f->acceptDrops());
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.get(), &drop);
        QVERIFY(f->Busy()); // the drop returned at once
        waitIdle(*f);
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("dropped.htm"))), QByteArray("<P>"));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("second.htm"))), QByteArray("<B>"));
        f->SetActive(false);
        QVERIFY(!f->acceptDrops());
    }

    // A file whose name is no UTF-8, dropped from a file manager (which percent-encodes its stray bytes), goes
    // up by its bytes under the very name it has.
    void takesADroppedFileWhoseNameIsNoText()
    {
        const QByteArray local = QFile::encodeName(k5test::Root()) + "/local/bad\xff.htm";
        QDir().mkpath(k5test::Root() + QStringLiteral("/local"));
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "<I>", 3), ssize_t(3));
        ::close(fd);
        auto f = make();
        QVERIFY(f->Connect());
        f->SetActive(true);
        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded("file://" + local.toPercentEncoding("/"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.get(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.get(), &drop);
        waitIdle(*f);
        const QByteArray remote = QFile::encodeName(server_.Path(QString())) + "bad\xff.htm";
        const int in = ::open(remote.constData(), O_RDONLY);
        QVERIFY2(in >= 0, "not uploaded under its own name");
        char buffer[8] = {};
        QCOMPARE(::read(in, buffer, sizeof buffer), ssize_t(3));
        ::close(in);
        QCOMPARE(QByteArray(buffer), QByteArray("<I>"));
        f->SetActive(false);
    }

    // A transfer the throttled server would take over a minute, caught while it runs.
    void startSlowUpload(k5test::FtpServer &slow, TBTDragDropFTP &f, const QString &files)
    {
        QVERIFY(slow.Start({QStringLiteral("--throttle"), QStringLiteral("16384")}));
        f.SetPort(slow.Port());
        QVERIFY(f.Connect());
        messages_.clear();
        changes_ = 0;
        QVERIFY(f.Upload(files));
        QTRY_VERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() > 0);
    }

    QString bigFile() { return localFile(QStringLiteral("big.bin"), QByteArray(4 * 1024 * 1024, 'b')); }

    void disconnectCancelsTheUpload()
    {
        k5test::FtpServer slow;
        auto f = make();
        f->SetActive(true);
        int ended = 0;
        connect(f.get(), &TBTDragDropFTP::UploadEnded, this, [&ended] { ++ended; });
        startSlowUpload(slow, *f, bigFile() + QStringLiteral("\r\n") + localFile(QStringLiteral("after.txt"), "after"));
        QElapsedTimer t;
        t.start();
        f->Disconnect();
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!f->Busy());
        QVERIFY(!f->Connected());
        QVERIFY(f->acceptDrops());
        // every file says it was cancelled; nothing is listed
        QCOMPARE(texts(), (QStringList{QStringLiteral("Uploading \"big.bin\""),
                                       QStringLiteral("Could not upload big.bin (Win32 Error 12017)"),
                                       QStringLiteral("Could not upload after.txt (Win32 Error 12017)"), QString(),
                                       QStringLiteral("Not connected")}));
        QCOMPARE(changes_, 0);
        QCOMPARE(ended, 1);
        QCOMPARE(f->UploadFailures(), (QStringList{QStringLiteral("big.bin: cancelled"), QStringLiteral("after.txt: cancelled")}));
        QCOMPARE(model(*f)->rowCount(), 0);
        QVERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() < 4 * 1024 * 1024);
        QVERIFY(!QFileInfo::exists(slow.Path(QStringLiteral("after.txt"))));

        // the component and the server go on
        QVERIFY(f->Upload(localFile(QStringLiteral("again.txt"), "again")));
        waitIdle(*f);
        QCOMPARE(ended, 2);
        QVERIFY(f->UploadFailures().isEmpty());
        QCOMPARE(k5test::ReadFile(slow.Path(QStringLiteral("again.txt"))), QByteArray("again"));
    }

    void disconnectListsNothing()
    {
        auto f = make();
        QVERIFY(f->Connect());
        const QString small = localFile(QStringLiteral("small.txt"), "small");
        QVERIFY(f->Upload(small));
        messages_.clear();
        changes_ = 0;
        f->Disconnect();
        for (const QString &text : texts())
            QVERIFY2(!text.startsWith(QStringLiteral("Transfer")), qPrintable(text));
        QCOMPARE(changes_, 0);
        QCOMPARE(texts().last(), QStringLiteral("Not connected"));
        // an upload that was not cancelled in time arrived whole
        if (errors().isEmpty())
            QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("small.txt"))), QByteArray("small"));
        else
            QCOMPARE(errors(), QStringList{QStringLiteral("Could not upload small.txt (Win32 Error 12017)")});
    }

    void destroyingCancelsTheUpload()
    {
        k5test::FtpServer slow;
        auto f = make();
        startSlowUpload(slow, *f, bigFile());
        QCoreApplication::processEvents();
        const qsizetype before = messages_.size();
        QElapsedTimer t;
        t.start();
        f.reset();
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        // nothing the upload reported reaches the component after it is gone
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCOMPARE(messages_.size(), before);
        QVERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() < 4 * 1024 * 1024);
        auto other = make();
        other->SetPort(slow.Port());
        QVERIFY(other->Connect());
    }

    void serverStoppedDuringUpload()
    {
        k5test::FtpServer slow;
        QVERIFY(slow.Start({QStringLiteral("--throttle"), QStringLiteral("65536")}));
        k5test::WriteFile(slow.Path(QStringLiteral("kept.txt")), "kept");
        auto f = make();
        f->SetPort(slow.Port());
        QVERIFY(f->Connect());
        const QString big = localFile(QStringLiteral("big.bin"), QByteArray(4 * 1024 * 1024, 'b'));
        const QString after = localFile(QStringLiteral("after.txt"), "after");
        messages_.clear();
        QVERIFY(f->Upload(big + QStringLiteral("\r\n") + after));
        QTRY_VERIFY(texts().contains(QStringLiteral("Uploading \"big.bin\"")));
        QTRY_VERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() > 0);
        slow.Stop();
        waitIdle(*f);
        const QStringList errs = errors();
        QVERIFY2(errs.size() == 3, qPrintable(errs.join(QLatin1Char('|'))));
        QVERIFY(errs[0].startsWith(QStringLiteral("Could not upload big.bin (Win32 Error 120")));
        QVERIFY(errs[1].startsWith(QStringLiteral("Could not upload after.txt (Win32 Error 120")));
        QVERIFY(errs[2].startsWith(QStringLiteral("Could not list / (Win32 Error 120")));
        for (const QString &t : texts())
            QVERIFY2(!t.startsWith(QStringLiteral("Transfer completed")), qPrintable(t));
        // the old listing stays
        QCOMPARE(names(*f), QStringList{QStringLiteral("kept.txt")});
        QVERIFY(f->Connected());
    }

    void cleanupTestCase() { server_.Stop(); }
};

K5_TEST_MAIN(TestDdFtp)
#include "test_ddftp.moc"
