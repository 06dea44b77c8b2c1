// The tag chooser and the three custom-tag families, driven through the document's menu items and the
// real windows: the chooser's categories and what each tag does (matched exactly, case counting), the
// creators' new items (sibling or top level, nothing on Cancel) and their files (one TAB a level, CR LF),
// a saved tag shown at once under "Custom" and inserted as its own text, the pickers, and a list file that
// does not read, kept as it is unless the user changes the list.
#include "k5test.h"
#include "apptest.h"

#include "app/assistantforms.h"
#include "app/launchers.h"
#include "app/assistants/customtags.h"
#include "app/assistants/tagchooser.h"
#include "app/dialogs/engine.h"
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "controls/zel/lookupedit.h"
#include "platform/folders.h"

#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <optional>

using app::TEditForm;
using app::TFrameForm;
using app::TTagFamilyId;
using assistants::TTagchooser;
using assistants::TTagCreatorWindow;
using namespace tree;

namespace {

QStringList shape(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        out << QString(n->Level(), u'.') + n->Text();
    return out;
}

TZozeZONode *find(TZozeZONodes *items, const QString &text)
{
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == text)
            return n;
    return nullptr;
}

// The user's answer to a new item dialog: the caption typed key by key, then "&Ok".
void typeCaption(k5test::User &user, const QString &caption)
{
    user.Then([caption](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            if (!edit || !edit->isVisible())
                return false;
            edit->setFocus();
            QTest::keyClicks(edit, caption);
            return true;
        })
        .Click(QStringLiteral("&Ok"));
}

// The creator that comes up presses its "New Items" once it waits for input.
k5test::User::Step pressNewItems()
{
    return [](QWidget *w) {
        auto *creator = qobject_cast<TTagCreatorWindow *>(w);
        if (!creator)
            return false;
        QTimer::singleShot(0, creator->NewItems, [creator] { creator->NewItems->click(); });
        return true;
    };
}

QString programFile(const char *name)
{
    return platform::ProgramFile(QString::fromLatin1(name));
}

// The class a dialog was made for (a dialog's objectName is its class name without the T).
QString classOf(const QWidget *dialog)
{
    return QLatin1Char('T') + dialog->objectName();
}

// The top-level dialogs of a class that are shown.
int shownDialogs(const char *className)
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && classOf(w) == QLatin1String(className))
            ++n;
    return n;
}

} // namespace

class TestCustomTags : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    TEditForm *doc = nullptr;

    void trigger(const char *item)
    {
        auto *a = doc->findChild<QAction *>(QString::fromLatin1(item));
        QVERIFY2(a && a->isEnabled(), item);
        a->trigger();
    }
    // The menus that hold an item, from the outermost: "Advanced1/XML1".
    static QString menuPath(QAction *item)
    {
        QStringList path;
        while (item) {
            QMenu *holder = nullptr;
            for (QObject *o : item->associatedObjects())
                if ((holder = qobject_cast<QMenu *>(o)))
                    break;
            if (!holder)
                break;
            path.prepend(holder->objectName());
            item = holder->menuAction();
        }
        return path.join(QLatin1Char('/'));
    }
    void freshDocument()
    {
        doc->ReplaceText(QString());
        doc->SetModified(false);
    }
    void closeWindows()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w))
                w->close();
        apptest::Settle();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
        doc = frame->CreateEditForm();
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }
    void init()
    {
        freshDocument();
        TTreeFile::ForgetReportedErrors();
    }
    void cleanup() { closeWindows(); }

    void chooserListsTheSevenCategories()
    {
        trigger("TagChooser1");
        TTagchooser *c = app::TagChooser();
        QVERIFY(c->isVisible());
        QVERIFY(c->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(shape(c->Treeview1->Items()),
                 (QStringList{"Page Composition", "Page Elements", "Formatting And Layout", "Forms", "List", "Tables", "Custom"}));
        // A category shows its tags (through the scratch file), in their order.
        c->Treeview1->SetSelected(c->Treeview1->Items()->Item(5));
        c->ShowCategory(QStringLiteral("Tables"));
        QCOMPARE(shape(c->Page1->Items()), (QStringList{"Table", "Row", "Data", "Caption"}));
        QCOMPARE(k5test::ReadFile(programFile("temp.qvl")), QByteArray("Table\r\nRow\r\nData\r\nCaption\r\n"));
        c->ShowCategory(QStringLiteral("List"));
        QCOMPARE(c->Page1->Items()->Count(), 8);
        QCOMPARE(c->Page1->Items()->Item(4)->Text(), QStringLiteral("DEFINITION LIST"));
        c->ShowCategory(QStringLiteral("Formatting And Layout"));
        QCOMPARE(c->Page1->Items()->Count(), 34);
        // Another text is no category: the tags stay.
        c->ShowCategory(QStringLiteral("Nothing"));
        QCOMPARE(c->Page1->Items()->Count(), 34);
        // The main window mirrors the custom tags file's name.
        QCOMPARE(frame->gem->Text(), c->LookUp1->text());
        c->LookUp1->setText(QStringLiteral("/elsewhere/tags.qvl"));
        QCOMPARE(frame->gem->Text(), QStringLiteral("/elsewhere/tags.qvl"));
        c->LookUp1->setText(programFile("customtags.qvl"));
    }

    void chooserInsertsLiteralsAndOpensDialogs_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("inserted"); // empty: a dialog opens
        QTest::addColumn<QString>("dialog");
        auto lit = [](const char *cat, const char *tag, const char *text) {
            QTest::addRow("%s", tag) << QString::fromLatin1(cat) << QString::fromLatin1(tag) << QString::fromLatin1(text) << QString();
        };
        auto dlg = [](const char *cat, const char *tag, const char *cls) {
            QTest::addRow("%s", tag) << QString::fromLatin1(cat) << QString::fromLatin1(tag) << QString() << QString::fromLatin1(cls);
        };
        lit("Formatting And Layout", "B", "<B></B>");
        lit("Formatting And Layout", "KBD", "<KBD></KBD>");
        lit("Formatting And Layout", "H3", "<H3></H3>");
        lit("Formatting And Layout", "BLOCKQOUTE", "<BLOCKQUOTE></BLOCKQUOTE>");
        lit("Formatting And Layout", "WBR", "<WBR>");
        lit("Page Composition", "HEAD", "<HEAD></HEAD>");
        lit("Page Composition", "SERVER", "<NOSCRIPT>");
        lit("Page Composition", "TITLE", "<TITLE></TITLE>");
        lit("Page Elements", "HR", "<HR>");
        lit("List", "DEFINITION LIST", "<DL><DT><DD></DL>");
        lit("List", "ITEM", "<LI></LI>");
        lit("Tables", "Caption", "<CAPTION></CAPTION>");
        dlg("Page Elements", "IMG", "TPicture");
        dlg("Page Elements", "A", "TLink");
        dlg("Page Composition", "BODY", "ThtmlStart");
        dlg("Formatting And Layout", "FONT", "TSkrift");
        dlg("Forms", "COMBOBOX", "TFormCombobox");
        dlg("Tables", "Table", "Ttable");
        dlg("List", "LIST", "TList");
    }
    void chooserInsertsLiteralsAndOpensDialogs()
    {
        QFETCH(QString, category);
        QFETCH(QString, tag);
        QFETCH(QString, inserted);
        QFETCH(QString, dialog);
        TTagchooser *c = app::TagChooser();
        trigger("TagChooser2");
        c->ShowCategory(category);
        TZozeZONode *node = find(c->Page1->Items(), tag);
        QVERIFY(node);
        c->Page1->SetSelected(node);
        k5test::User user;
        QString opened;
        bool onTop = false;
        user.Then([&opened, &onTop](QWidget *w) {
            opened = classOf(w);
            // Not hidden behind the chooser, which stays on top.
            onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            qobject_cast<QDialog *>(w)->reject();
            return true;
        });
        QTest::mouseClick(c->Button1, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(opened, dialog);
        QCOMPARE(doc->Text(), inserted);
        QVERIFY(user.Texts.isEmpty());
        if (!dialog.isEmpty()) {
            QVERIFY(user.Done());
            QVERIFY(onTop);
        }
    }

    void everyListedTagHasItsAction()
    {
        // Each tag of the six lists opens a dialog the program has, or inserts a text.
        int tags = 0;
        for (const QString &category : TTagchooser::Categories()) {
            for (const QString &tag : TTagchooser::CategoryTags(category)) {
                ++tags;
                const assistants::TTagAction a = assistants::TagActionFor(tag);
                QVERIFY2(a.kind == assistants::TTagAction::Dialog || a.kind == assistants::TTagAction::Literal,
                         qPrintable(tag));
                if (a.kind == assistants::TTagAction::Literal) {
                    QVERIFY2(a.text.startsWith(QLatin1Char('<')) && a.text.endsWith(QLatin1Char('>')), qPrintable(tag));
                    continue;
                }
                bool known = dialogs::HasDialog(a.text);
                for (const app::TLauncher &l : app::Launchers())
                    known = known || (l.open && a.text == QLatin1String(l.className));
                QVERIFY2(known, qPrintable(tag + QLatin1Char(' ') + a.text));
            }
        }
        QCOMPARE(tags, 13 + 12 + 34 + 13 + 8 + 4);
        // Matching is exact: another case or a blank more is the user's own text.
        for (const char *own : {"b", "Title", " B", "table"})
            QCOMPARE(assistants::TagActionFor(QString::fromLatin1(own)).kind, assistants::TTagAction::OwnText);
    }

    void chooserWithNothingSelectedDoesNothing()
    {
        TTagchooser *c = app::TagChooser();
        c->ShowCategory(QStringLiteral("Tables"));
        c->Page1->SetSelected(nullptr);
        c->Button1Click();
        apptest::Settle();
        QCOMPARE(doc->Text(), QString());
    }

    void customTagsAreMatchedExactly()
    {
        // "b" and "<TITLE>" are the user's own tags: case counts, and "<TITLE>" opens the page start
        // dialog without holding the chooser.
        k5test::WriteFile(programFile("customtags.qvl"), "b\r\n<TITLE>\r\nB\r\n<P CLASS=\"x\">\r\n");
        TTagchooser *c = app::TagChooser();
        trigger("TagChooser1");
        c->ShowCategory(QStringLiteral("Custom"));
        QCOMPARE(shape(c->Page1->Items()), (QStringList{"b", "<TITLE>", "B", "<P CLASS=\"x\">"}));
        auto choose = [c](const char *text) {
            c->Page1->SetSelected(find(c->Page1->Items(), QString::fromLatin1(text)));
            QTest::mouseClick(c->Button1, Qt::LeftButton);
            apptest::Settle();
        };
        choose("b");
        QCOMPARE(doc->Text(), QStringLiteral("b"));
        choose("B");
        QCOMPARE(doc->Text(), QStringLiteral("b<B></B>"));
        choose("<P CLASS=\"x\">");
        QCOMPARE(doc->Text(), QStringLiteral("b<B></B><P CLASS=\"x\">"));
        QCOMPARE(frame->Memo1->Text(), QString());
        QCOMPARE(shownDialogs("ThtmlStart"), 0);
        choose("<TITLE>");
        QCOMPARE(shownDialogs("ThtmlStart"), 1);
        QVERIFY(!QApplication::activeModalWidget());
        // Its OK replaces the page as the page start dialog does.
        dialogs::TTagDialog *start = dialogs::Instance(QStringLiteral("ThtmlStart"));
        QVERIFY(start);
        qobject_cast<QLineEdit *>(start->findChild<QWidget *>(QStringLiteral("Title")))->setText(QStringLiteral("Chosen"));
        QTest::mouseClick(start->Button1, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(doc->Text().contains(QStringLiteral("<TITLE>Chosen</TITLE>")));
    }

    void creatorAddsSiblingsAndTopLevelItems_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("file");
        QTest::newRow("HTML") << int(TTagFamilyId::Html) << QStringLiteral("customtags.qvl");
        QTest::newRow("XML") << int(TTagFamilyId::Xml) << QStringLiteral("customtags_xml.qvl");
        QTest::newRow("ASP") << int(TTagFamilyId::Asp) << QStringLiteral("customtags_asp.qvl");
    }
    void creatorAddsSiblingsAndTopLevelItems()
    {
        QFETCH(int, family);
        QFETCH(QString, file);
        const QString path = platform::ProgramFile(file);
        k5test::WriteFile(path, "Group\r\n\tFirst\r\nOther\r\n");
        // A creator reads its file when it is made.
        delete app::TagCreator(TTagFamilyId(family));
        TTagCreatorWindow *creator = app::TagCreator(TTagFamilyId(family));
        QCOMPARE(shape(creator->TreeView1->Items()), (QStringList{"Group", ".First", "Other"}));
        creator->show();
        k5test::User user;
        // With a child selected: a sibling of that child.
        creator->TreeView1->SetSelected(find(creator->TreeView1->Items(), QStringLiteral("First")));
        typeCaption(user, QStringLiteral("<EM>"));
        QTest::mouseClick(creator->NewItems, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(shape(creator->TreeView1->Items()), (QStringList{"Group", ".First", ".<EM>", "Other"}));
        // Cancel (Escape) adds nothing, and the caption typed before it is not kept.
        user.Then([](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            if (!edit || !edit->isVisible())
                return false;
            QTest::keyClicks(edit, QStringLiteral("dropped"));
            return true;
        });
        user.Escape();
        QTest::mouseClick(creator->NewItems, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(creator->TreeView1->Items()->Count(), 4);
        QVERIFY(creator->NewItemDialog()->Edit1->text().isEmpty() || !creator->NewItemDialog()->isVisible());
        // With nothing selected: the top level; leading blanks (which the file would read as a level) go.
        creator->TreeView1->SetSelected(nullptr);
        typeCaption(user, QStringLiteral("  Top"));
        QTest::mouseClick(creator->NewItems, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(shape(creator->TreeView1->Items()), (QStringList{"Group", ".First", ".<EM>", "Other", "Top"}));
        // Deleting takes the children along; with nothing selected it does nothing.
        creator->TreeView1->SetSelected(nullptr);
        QTest::mouseClick(creator->DeleteSelectedItem, Qt::LeftButton);
        QCOMPARE(creator->TreeView1->Items()->Count(), 5);
        creator->TreeView1->SetSelected(find(creator->TreeView1->Items(), QStringLiteral("Other")));
        QTest::mouseClick(creator->DeleteSelectedItem, Qt::LeftButton);
        QCOMPARE(shape(creator->TreeView1->Items()), (QStringList{"Group", ".First", ".<EM>", "Top"}));
        // Nothing is written before Save or closing.
        QCOMPARE(k5test::ReadFile(path), QByteArray("Group\r\n\tFirst\r\nOther\r\n"));
        QTest::mouseClick(creator->SaveYourTags, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(path), QByteArray("Group\r\n\tFirst\r\n\t<EM>\r\nTop\r\n"));
        creator->TreeView1->SetSelected(find(creator->TreeView1->Items(), QStringLiteral("Group")));
        typeCaption(user, QStringLiteral("Last"));
        QTest::mouseClick(creator->NewItems, Qt::LeftButton);
        apptest::Settle();
        QTest::mouseClick(creator->Close, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(!creator->isVisible());
        QCOMPARE(k5test::ReadFile(path), QByteArray("Group\r\n\tFirst\r\n\t<EM>\r\nTop\r\nLast\r\n"));
        QVERIFY(user.Texts.isEmpty());
    }

    // A NUL pasted into a caption would end the tag file where it stands: it is not stored.
    void aNulInACaptionIsNotStored()
    {
        const QString path = platform::ProgramFile(QStringLiteral("customtags.qvl"));
        k5test::WriteFile(path, "Group\r\n");
        delete app::TagCreator(TTagFamilyId::Html);
        TTagCreatorWindow *creator = app::TagCreator(TTagFamilyId::Html);
        creator->show();
        k5test::User user;
        user.Then([](QWidget *w) {
                auto *edit = w->findChild<QLineEdit *>(QStringLiteral("Edit1"));
                if (!edit || !edit->isVisible())
                    return false;
                QApplication::clipboard()->setText(QString::fromUtf16(u"<NU\0LL>", 7));
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                return true;
            })
            .Click(QStringLiteral("&Ok"));
        creator->TreeView1->SetSelected(nullptr);
        QTest::mouseClick(creator->NewItems, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QTest::mouseClick(creator->SaveYourTags, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(path), QByteArray("Group\r\n<NULL>\r\n"));
        // Made again, the creator reads the file without a word.
        delete app::TagCreator(TTagFamilyId::Html);
        QCOMPARE(shape(app::TagCreator(TTagFamilyId::Html)->TreeView1->Items()), (QStringList{"Group", "<NULL>"}));
        QVERIFY(user.Texts.isEmpty());
    }

    void savedTagIsUnderCustomAtOnceAndInserted()
    {
        QFile::remove(programFile("customtags.qvl"));
        delete app::TagCreator(TTagFamilyId::Html);
        TTagchooser *c = app::TagChooser();
        trigger("TagChooser1");
        c->ShowCategory(QStringLiteral("Custom"));
        QCOMPARE(c->Page1->Items()->Count(), 0);
        // The chooser's own button shows the HTML creator, modally; the user adds a tag and closes it.
        k5test::User user;
        user.Then(pressNewItems());
        typeCaption(user, QStringLiteral("<SPAN CLASS=\"note\"></SPAN>"));
        user.Click(QStringLiteral("&Close"));
        QTest::mouseClick(c->SpeedButton1, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.isEmpty());
        QCOMPARE(c->LookUp1->text(), programFile("customtags.qvl"));
        QCOMPARE(shape(c->Page1->Items()), (QStringList{"<SPAN CLASS=\"note\"></SPAN>"}));
        c->Page1->SetSelected(c->Page1->Items()->Item(0));
        QTest::mouseDClick(c->Page1->viewport(), Qt::LeftButton, {},
                           c->Page1->NodeRect(c->Page1->Items()->Item(0), true).center());
        apptest::Settle();
        QCOMPARE(doc->Text(), QStringLiteral("<SPAN CLASS=\"note\"></SPAN>"));
    }

    void pickersInsertTheChosenItem_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("menu");
        QTest::newRow("HTML, Tools") << "CustomTags1" << "customtags.qvl" << "Custom Tags" << "Tools1";
        QTest::newRow("HTML, pop-up") << "CustomTags2" << "customtags.qvl" << "Custom Tags" << "PopupMenu1/Tags1";
        QTest::newRow("XML") << "XMLCustomTags1" << "customtags_xml.qvl" << "XML Custom Tags" << "Advanced1/XML1";
        QTest::newRow("ASP") << "ASPCustomTags1" << "customtags_asp.qvl" << "ASP Custom Tags" << "Advanced1/ASP1";
    }
    void pickersInsertTheChosenItem()
    {
        QFETCH(QString, item);
        QFETCH(QString, file);
        QFETCH(QString, caption);
        QFETCH(QString, menu);
        // Each picker is where the user looks for it: the HTML one under Tools, the others beside their
        // family's commands.
        QCOMPARE(menuPath(doc->findChild<QAction *>(item)), menu);
        k5test::WriteFile(platform::ProgramFile(file), "Outer\r\n\t<%= x %>\r\n");
        trigger(item.toLatin1().constData());
        auto *picker = qobject_cast<assistants::TCustomTagPicker *>(QApplication::activeWindow());
        if (!picker)
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == caption)
                    picker = qobject_cast<assistants::TCustomTagPicker *>(w);
        QVERIFY(picker);
        QCOMPARE(picker->windowTitle(), caption);
        QVERIFY(picker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Read again each time it is shown.
        QCOMPARE(shape(picker->TreeView1->Items()), (QStringList{"Outer", ".<%= x %>"}));
        // Nothing selected: Apply does nothing.
        picker->TreeView1->SetSelected(nullptr);
        QTest::mouseClick(picker->Apply, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(doc->Text(), QString());
        picker->TreeView1->SetSelected(find(picker->TreeView1->Items(), QStringLiteral("<%= x %>")));
        QTest::mouseClick(picker->Apply, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(doc->Text(), QStringLiteral("<%= x %>"));
        // Its creator button shows the family's creator and reads the file again after it.
        k5test::User user;
        user.Then([&file](QWidget *w) {
            auto *creator = qobject_cast<TTagCreatorWindow *>(w);
            if (!creator || QString::fromLatin1(creator->Family().file) != file)
                return false;
            creator->TreeView1->Items()->Add(nullptr, QStringLiteral("Added"));
            creator->reject();
            return true;
        });
        QTest::mouseClick(picker->CreateTags, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(picker->TreeView1->Items()->Count(), 3);
        QTest::mouseClick(picker->Close, Qt::LeftButton);
        QVERIFY(!picker->isVisible());
    }

    void aFileThatIsNoTreeGetsNothingWrittenBesideIt()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/mine");
        const QByteArray picture("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        const QString file = k5test::WriteFile(dir + QStringLiteral("/logo.png"), picture);
        const QString own = k5test::WriteFile(dir + QStringLiteral("/logo.png.bak"), "the user's own");
        trigger("TagChooser1");
        TTagchooser *c = app::TagChooser();
        TZozeZONode *custom = find(c->Treeview1->Items(), QStringLiteral("Custom"));
        custom->MakeVisible();
        QTest::mouseClick(c->Treeview1->viewport(), Qt::LeftButton, {}, c->Treeview1->NodeRect(custom, true).center());
        // Typed while "Custom" is shown, and read once Enter ends it.
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        k5test::Type(c->LookUp1, file + QLatin1Char('\n'));
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(file), qPrintable(user.Texts.first()));
        QCOMPARE(c->Page1->Items()->Count(), 0);
        // The chooser never writes the file it shows: nothing beside it is made or replaced.
        QCOMPARE(k5test::ReadFile(own), QByteArray("the user's own"));
        QCOMPARE(k5test::ReadFile(file), picture);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), (QStringList{"logo.png", "logo.png.bak"}));
        c->LookUp1->setText(programFile("customtags.qvl"));
    }

    void aTypedFileIsReadWhenItsNameIsComplete()
    {
        // The name typed passes through a file that is no tree on its way to the one the user means.
        const QString dir = k5test::Root() + QStringLiteral("/tmp/typed");
        const QString partial = k5test::WriteFile(dir + QStringLiteral("/t"), "top\r\n\t\tskips a level\r\n");
        const QString meant = k5test::WriteFile(dir + QStringLiteral("/t2.qvl"), "Mine\r\n");
        const QString other = k5test::WriteFile(dir + QStringLiteral("/t3.qvl"), "Other\r\n");
        const QString chosen = k5test::WriteFile(dir + QStringLiteral("/chosen.qvl"), "Chosen\r\n");
        trigger("TagChooser1");
        TTagchooser *c = app::TagChooser();
        TZozeZONode *custom = find(c->Treeview1->Items(), QStringLiteral("Custom"));
        custom->MakeVisible();
        QTest::mouseClick(c->Treeview1->viewport(), Qt::LeftButton, {}, c->Treeview1->NodeRect(custom, true).center());
        QCOMPARE(c->ShownCategory(), QStringLiteral("Custom"));
        k5test::User user;
        user.Click(QStringLiteral("OK")); // there only for a read on the way
        c->LookUp1->setFocus();
        c->LookUp1->selectAll();
        QTest::keyClicks(c->LookUp1, meant);
        apptest::Settle();
        QCOMPARE(user.Texts, QStringList());
        QCOMPARE(c->LookUp1->text(), meant);
        QVERIFY(c->LookUp1->hasFocus());
        // Enter reads it.
        QTest::keyClick(c->LookUp1, Qt::Key_Return);
        apptest::Settle();
        QCOMPARE(shape(c->Page1->Items()), QStringList{"Mine"});
        QCOMPARE(user.Texts, QStringList());
        // So does leaving the field.
        c->LookUp1->selectAll();
        QTest::keyClicks(c->LookUp1, other);
        QCOMPARE(shape(c->Page1->Items()), QStringList{"Mine"});
        c->Button1->setFocus();
        apptest::Settle();
        QCOMPARE(shape(c->Page1->Items()), QStringList{"Other"});
        // A complete name that fails is said once, and the field keeps what was typed.
        c->LookUp1->setFocus();
        c->LookUp1->selectAll();
        QTest::keyClicks(c->LookUp1, partial);
        QTest::keyClick(c->LookUp1, Qt::Key_Return);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(partial), qPrintable(user.Texts.first()));
        QCOMPARE(c->LookUp1->text(), partial);
        QCOMPARE(c->Page1->Items()->Count(), 0);
        // A name of no file yet reads as no tags, without a word; the browse button's choice is read at once.
        c->LookUp1->selectAll();
        QTest::keyClicks(c->LookUp1, dir + QStringLiteral("/new.qvl"));
        QTest::keyClick(c->LookUp1, Qt::Key_Return);
        QCOMPARE(c->Page1->Items()->Count(), 0);
        k5test::User browser;
        browser.TypeFileName(chosen);
        QTest::mouseClick(c->LookUp1->EditButton1().Button(), Qt::LeftButton);
        apptest::Settle();
        QVERIFY(browser.Done());
        QCOMPARE(browser.Texts, QStringList());
        QCOMPARE(c->LookUp1->text(), chosen);
        QCOMPARE(shape(c->Page1->Items()), QStringList{"Chosen"});
        c->LookUp1->setText(programFile("customtags.qvl"));
    }

    void tagsAddedBeforeAFailedSaveAreKept()
    {
        const QString path = programFile("customtags.qvl");
        k5test::WriteFile(path, "Kept\r\n");
        delete app::TagCreator(TTagFamilyId::Html);
        trigger("CustomTags2");
        apptest::Settle();
        assistants::TCustomTagPicker *picker = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QLatin1String("Custom Tags"))
                picker = qobject_cast<assistants::TCustomTagPicker *>(w);
        QVERIFY(picker);
        // The user adds a tag and saves it on a disk that takes no more: the save fails, and so does the
        // one that closing the creator makes.
        std::optional<k5test::FileSizeLimit> full;
        k5test::User user;
        user.Then(pressNewItems());
        typeCaption(user, QStringLiteral("<ADDED>"));
        user.Then([&full](QWidget *w) {
            auto *creator = qobject_cast<TTagCreatorWindow *>(w);
            if (!creator)
                return false;
            full.emplace(4);
            QTimer::singleShot(0, creator->SaveYourTags, [creator] { creator->SaveYourTags->click(); });
            return true;
        });
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("&Close")).Click(QStringLiteral("OK"));
        QTest::mouseClick(picker->CreateTags, Qt::LeftButton);
        apptest::Settle();
        full.reset();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 2);
        QCOMPARE(k5test::ReadFile(path), QByteArray("Kept\r\n"));
        // Shown again, the creator still holds the tag; closed now, it is written.
        QStringList shown;
        user.Then([&shown](QWidget *w) {
            auto *creator = qobject_cast<TTagCreatorWindow *>(w);
            if (!creator)
                return false;
            shown = shape(creator->TreeView1->Items());
            return true;
        });
        user.Click(QStringLiteral("&Close"));
        QTest::mouseClick(picker->CreateTags, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(shown, (QStringList{"Kept", "<ADDED>"}));
        QCOMPARE(k5test::ReadFile(path), QByteArray("Kept\r\n<ADDED>\r\n"));
        QCOMPARE(shape(picker->TreeView1->Items()), (QStringList{"Kept", "<ADDED>"}));
        QCOMPARE(user.Texts.size(), 2);
    }

    void badTagFileIsKeptAndReportedOnce()
    {
        const QString path = programFile("customtags_asp.qvl");
        const QByteArray bad("Top\r\n\t\t\tToo deep\r\n");
        k5test::WriteFile(path, bad);
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        delete app::TagCreator(TTagFamilyId::Asp);
        TTagCreatorWindow *creator = app::TagCreator(TTagFamilyId::Asp);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(user.Texts.at(0).contains(path + QStringLiteral(".bak")));
        QCOMPARE(k5test::ReadFile(path + QStringLiteral(".bak")), bad);
        QCOMPARE(creator->TreeView1->Items()->Count(), 0);
        // The picker reads the same file when shown: no second message.
        trigger("ASPCustomTags1");
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        // Closing the creator unchanged leaves the file alone; a change is written.
        creator->show();
        QTest::mouseClick(creator->Close, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(path), bad);
        creator->show();
        creator->TreeView1->Items()->Add(nullptr, QStringLiteral("<%@ LANGUAGE=\"VBSCRIPT\" %>"));
        QTest::mouseClick(creator->Close, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(path), QByteArray("<%@ LANGUAGE=\"VBSCRIPT\" %>\r\n"));
        QCOMPARE(k5test::ReadFile(path + QStringLiteral(".bak")), bad);
    }
};

K5_TEST_MAIN(TestCustomTags)
#include "test_customtags.moc"
