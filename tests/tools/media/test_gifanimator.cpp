// The GIF animation editor used as a user uses it: files opened and saved through the real dialogs,
// questions answered in the real message boxes, settings typed into its pages; the files it writes
// are read back by giflib's and gifsicle's tools.
#include "tools/media/gifanimator.h"

#include "controls/qv/qvcomboedit.h"
#include "controls/qv/qvdrawgrid.h"
#include "controls/qv/qvhint.h"
#include "controls/qv/qvspin.h"
#include "controls/speedbar/speedbar.h"
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"
#include "graphics/qv/qvreduce.h"
#include "platform/dialogs.h"
#include "platform/graphics/bitmap.h"
#include "platform/registry.h"

#include "k5test.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QClipboard>
#include <QtTest>

using k5test::User;
using media::TAnimatorForm;

namespace {

QImage solid(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// An animation of n frames of n colours, written by the GIF model.
QByteArray animation(int n, int w = 6, int h = 4)
{
    gfx::TGIFImage gif;
    for (int i = 0; i < n; ++i) {
        platform::Bitmap bmp;
        bmp.SetImage(solid(w, h, qRgb(20 * i, 255 - 20 * i, 7)).convertToFormat(QImage::Format_Indexed8));
        gif.AddFrame(&bmp);
    }
    return gif.WriteGIF(false);
}

QByteArray run(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return QByteArray();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QByteArray();
    return p.readAllStandardOutput() + " ";
}

QStringList pages(const TAnimatorForm &form)
{
    QStringList out;
    for (int i = 0; i < form.PageControl1->count(); ++i)
        out << form.PageControl1->tabText(i);
    return out;
}

// The frames' first pixels, in order: tells the frames apart.
QList<QRgb> order(TAnimatorForm &form)
{
    QList<QRgb> out;
    for (int i = 0; i < form.Image().Count(); ++i)
        out << (form.Image().Frames(i)->Bitmap()->Image().pixel(0, 0) & 0xFFFFFFu);
    return out;
}

void type(qv::TQvSpinEdit *edit, int value)
{
    edit->selectAll();
    QTest::keyClicks(edit, QString::number(value));
}

// gifsicle's --info writes the bytes of a comment beyond ASCII as \ooo escapes: they are turned back.
QByteArray unescaped(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && QByteArray("0123").contains(text[i + 1])) {
            out.append(char(text.mid(i + 1, 3).toInt(nullptr, 8)));
            i += 3;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

// The logical screen as giflib's, gifsicle's and ImageMagick's tools read it ("" when one is missing
// or fails).
QStringList screensSeenBy(const QString &path)
{
    QStringList out;
    const QByteArray text = run("giftext", {path});
    const QRegularExpression giflib(QStringLiteral("Screen Size - Width = (\\d+), Height = (\\d+)"));
    const QRegularExpressionMatch m = giflib.match(QString::fromLatin1(text));
    out << (m.hasMatch() ? m.captured(1) + QLatin1Char('x') + m.captured(2) : QString());
    const QRegularExpressionMatch g =
        QRegularExpression(QStringLiteral("logical screen (\\d+x\\d+)")).match(QString::fromLatin1(run("gifsicle", {"--info", path})));
    out << (g.hasMatch() ? g.captured(1) : QString());
    out << QString::fromLatin1(run("identify", {"-format", "%Wx%H\n", path + QStringLiteral("[0]")})).trimmed();
    return out;
}

// Saves through Save As and the real file dialog.
void saveAs(TAnimatorForm &form, const QString &path)
{
    User user;
    user.TypeFileName(path);
    if (QFile::exists(path))
        user.Click(QStringLiteral("Yes"));
    form.SaveAsBtn->ButtonClick();
    k5test::Settle();
    QVERIFY(user.Done());
}

} // namespace

class TestGifAnimator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::SetApplicationTitle(QStringLiteral("Kestrova 5")); }
    void init() { k5test::ResetEnvironment(); }

    void anEmptyEditorOffersOnlyWhatMakesSense()
    {
        TAnimatorForm form;
        QCOMPARE(form.windowTitle(), QString("QV Gif Animator"));
        QCOMPARE(pages(form), QStringList{"Options"});
        QVERIFY(!form.ScrollBar1->isEnabled());
        QCOMPARE(form.StatusLabel->text(), QString("Ready"));
        for (auto *b : {form.SaveBtn, form.SaveAsBtn, form.CutBtn, form.CopyBtn, form.DeleteBtn, form.PreviewBtn,
                        form.MoveUpBtn, form.MoveDownBtn, form.GrayscaleBtn})
            QVERIFY2(!b->Enabled(), qPrintable(b->objectName()));
        QVERIFY(form.NewBtn->Enabled() && form.OpenBtn->Enabled() && form.InsertBtn->Enabled() && form.AboutBtn->Enabled());
        QCOMPARE(form.ColorDepth->count(), 5);
        QVERIFY(form.ThumbnailsBox->isChecked() && form.FlatBtns->isChecked() && !form.AlwaysOnTop->isChecked());
        QCOMPARE(form.SpeedBar1->SectionCount(), 4);
    }

    void opensThumbnailsAndMovesWithinTheEnds()
    {
        QTemporaryDir dir;
        const QString path = k5test::WriteFile(dir.filePath("six.gif"), animation(6));
        TAnimatorForm form;
        form.show();
        {
            User user;
            user.TypeFileName(path);
            form.OpenBtn->ButtonClick();
            QVERIFY(user.Done());
        }
        QCOMPARE(form.Image().Count(), 6);
        QCOMPARE(form.FileName(), path);
        QCOMPARE(pages(form), (QStringList{"Options", "Animation", "Image"}));
        QCOMPARE(form.ImageCount->text(), QString("6"));
        QCOMPARE(form.AnimationWidth->text(), QString("6"));
        QCOMPARE(form.GIFVersion->text(), QString("89a"));
        QCOMPARE(form.ScrollBar1->maximum(), 5);
        QVERIFY(form.ScrollBar1->isEnabled());
        const QList<QRgb> start = order(form);

        // Four panels show frames first..first+3, numbered from 1.
        QCOMPARE(form.FirstShown(), 0);
        QCOMPARE(form.ThumbNumbers[3]->text(), QString("4"));
        form.ScrollBar1->setValue(5);
        QCOMPARE(form.Current(), 5);
        QCOMPARE(form.FirstShown(), 2);
        QCOMPARE(form.ThumbNumbers[0]->text(), QString("3"));
        QVERIFY(form.Thumbs[3]->parentWidget()->isVisible());
        form.SelectFrame(3);
        QCOMPARE(form.FirstShown(), 2); // 3 still shows
        form.SelectFrame(1);
        QCOMPARE(form.FirstShown(), 1);
        QTest::mouseClick(form.Thumbs[2], Qt::LeftButton);
        QCOMPARE(form.Current(), 3);

        // Past either end nothing moves.
        form.SelectFrame(0);
        QVERIFY(!form.MoveUpBtn->Enabled());
        form.MoveUpClick();
        QCOMPARE(order(form), start);
        QVERIFY(!form.Modified());
        form.SelectFrame(5);
        QVERIFY(!form.MoveDownBtn->Enabled());
        form.MoveDownClick();
        QCOMPARE(order(form), start);
        QVERIFY(!form.Modified());
        // Within them the frame swaps with its neighbour and stays current.
        form.MoveUpBtn->ButtonClick();
        QCOMPARE(form.Current(), 4);
        QList<QRgb> moved = start;
        moved.swapItemsAt(4, 5);
        QCOMPARE(order(form), moved);
        QVERIFY(form.Modified());
        // Delete takes the current frame.
        form.DeleteBtn->ButtonClick();
        moved.removeAt(4);
        QCOMPARE(order(form), moved);
        QCOMPARE(form.ImageCount->text(), QString("5"));

        // With fewer than four frames the panels past the last are hidden.
        for (int i = 0; i < 3; ++i)
            form.DeleteClick();
        QCOMPARE(form.Image().Count(), 2);
        QCOMPARE(form.FirstShown(), 0);
        QVERIFY(form.Thumbs[1]->parentWidget()->isVisible());
        QVERIFY(!form.Thumbs[2]->parentWidget()->isVisible());
    }

    // A thumbnail shows its frame where it lies on the screen, scaled to fit, or on its own at the
    // top left when the thumbnails do not reflect the position.
    void thumbnailsReflectThePosition()
    {
        gfx::TGIFImage gif;
        platform::Bitmap red, blue;
        red.SetImage(solid(200, 100, qRgb(255, 0, 0)).convertToFormat(QImage::Format_Indexed8));
        blue.SetImage(solid(50, 50, qRgb(0, 0, 255)).convertToFormat(QImage::Format_Indexed8));
        gif.AddFrame(&red);
        gif.AddFrame(&blue);
        gif.Frames(1)->SetOrigin(QPoint(150, 50));
        gif.UpdateScreenSize();
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("placed.gif"), gif.WriteGIF(false))));
        QWidget *thumb = form.Thumbs[1];
        const QRect area = thumb->rect().adjusted(3, 3, -3, -3);
        QVERIFY(area.width() < 200); // so the screen is scaled down
        const double scale = 100 * (double(area.width()) / 200) > area.height() ? double(area.height()) / 100
                                                                                 : double(area.width()) / 200;
        auto at = [&](double x, double y) { return thumb->grab().toImage().pixel(int(3 + x * scale), int(3 + y * scale)) | 0xFF000000u; };
        QCOMPARE(at(175, 75), qRgb(0, 0, 255));
        QVERIFY(at(100, 75) != qRgb(0, 0, 255));
        QVERIFY(at(25, 25) != qRgb(0, 0, 255));
        form.ThumbnailsBox->setChecked(false);
        QCOMPARE(thumb->grab().toImage().pixel(10, 10) | 0xFF000000u, qRgb(0, 0, 255)); // unscaled, at 3,3
        QCOMPARE(thumb->grab().toImage().pixel(50, 50) | 0xFF000000u, qRgb(0, 0, 255));
        QVERIFY((thumb->grab().toImage().pixel(56, 56) | 0xFF000000u) != qRgb(0, 0, 255));
    }

    void settingsGoIntoTheImage()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("three.gif"), animation(3))));
        form.SelectFrame(1);
        type(form.Duration, 25);
        QCOMPARE(form.Image().Frames(1)->AnimateInterval(), 250);
        QVERIFY(form.Modified());
        type(form.Left, 4);
        type(form.Top, 2);
        QCOMPARE(form.Image().Frames(1)->Origin(), QPoint(4, 2));
        form.UndrawMethod->setCurrentIndex(2);
        QCOMPARE(form.Image().Frames(1)->DisposalMethod(), 2);
        form.ImageComment->setPlainText(QStringLiteral("second"));
        QCOMPARE(form.Image().Frames(1)->Comment(), QStringList{"second"});
        form.TrailingComment->setPlainText(QStringLiteral("made here"));
        QCOMPARE(form.Image().Comment(), QStringList{"made here"});
        // Looping enables the repeat settings; Repeat Forever stores a count of 0.
        form.Looping->setChecked(true);
        QVERIFY(form.Image().Looping());
        QVERIFY(form.RepeatForever->isEnabled());
        form.RepeatForever->setChecked(false);
        type(form.RepeatCount, 7);
        QCOMPARE(form.Image().RepeatCount(), 7);
        form.RepeatForever->setChecked(true);
        QCOMPARE(form.Image().RepeatCount(), 0);
        QVERIFY(!form.RepeatCount->isEnabled());
        // Transparency off stores no transparent colour.
        form.Transparency->setChecked(true);
        QVERIFY(form.Image().Frames(1)->TransparentColor() != platform::clNone);
        form.Transparency->setChecked(false);
        QCOMPARE(form.Image().Frames(1)->TransparentColor(), platform::clNone);
        // Another frame shows its own values, without marking anything.
        form.SelectFrame(0);
        QCOMPARE(form.Duration->Value(), 0);
        form.SelectFrame(1);
        QCOMPARE(form.Duration->Value(), 25);
        QCOMPARE(form.Left->Value(), 4);
        QCOMPARE(form.UndrawMethod->currentIndex(), 2);

        // Saved and read back by the model and by giflib's and gifsicle's tools.
        const QString out = dir.filePath("anim.gif");
        {
            User user;
            user.TypeFileName(out);
            form.SaveAsBtn->ButtonClick();
            QVERIFY(user.Done());
        }
        QVERIFY(!form.Modified());
        QCOMPARE(form.windowTitle(), QString("Kestrova 5 - anim.gif"));
        QVERIFY(form.SaveBtn->Enabled());
        gfx::TGIFImage back;
        back.ReadGIF(k5test::ReadFile(out), true);
        QCOMPARE(back.Count(), 3);
        QCOMPARE(back.Frames(1)->AnimateInterval(), 250);
        QCOMPARE(back.Frames(1)->Origin(), QPoint(4, 2));
        QCOMPARE(back.Frames(1)->DisposalMethod(), 2);
        QVERIFY(back.Looping());
        QCOMPARE(back.RepeatCount(), 0);
        const QByteArray text = run("giftext", {out});
        QVERIFY(!text.isNull());
        QVERIFY(text.contains("GIF89 comment"));
        const QByteArray info = run("gifsicle", {"--info", out});
        QVERIFY(!info.isNull());
        QVERIFY(info.contains("3 images"));
        QVERIFY(info.contains("loop forever"));
        QVERIFY(info.contains("delay 0.25s"));
        QVERIFY(info.contains("comment second"));
        // Save writes to the same name again.
        type(form.Duration, 3);
        form.SaveBtn->ButtonClick();
        QVERIFY(!form.Modified());
        back.ReadGIF(k5test::ReadFile(out), true);
        QCOMPARE(back.Frames(1)->AnimateInterval(), 30);
    }

    // A place typed by mistake and then corrected leaves the screen as the frames lie when saved, and
    // the file opens again here; a frame left so far off that its file would be refused on opening is
    // not written, and the file on disk stays whole.
    void theScreenSavedHoldsTheFramesAsTheyAre()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("flat.gif"), animation(2, 1000, 1000))));
        form.SelectFrame(1);
        form.PageControl1->setCurrentWidget(form.ImagePage);
        type(form.Top, 50007);
        QCOMPARE(form.Image().Frames(1)->Origin(), QPoint(0, 50007));
        QCOMPARE(form.Image().ScreenHeight(), 51007);
        QCOMPARE(form.AnimationHeight->text(), QString("51007"));
        type(form.Top, 5);
        QCOMPARE(form.AnimationHeight->text(), QString("1005"));
        const QString out = dir.filePath("moved.gif");
        saveAs(form, out);
        {
            TAnimatorForm again;
            again.show();
            QVERIFY(again.OpenFile(out));
            QCOMPARE(again.AnimationWidth->text(), QString("1000"));
            QCOMPARE(again.AnimationHeight->text(), QString("1005"));
            QCOMPARE(again.Image().Frames(1)->Origin(), QPoint(0, 5));
        }
        QCOMPARE(screensSeenBy(out), (QStringList{"1000x1005", "1000x1005", "1000x1005"}));

        form.SelectFrame(1);
        type(form.Left, 8000);
        QCOMPARE(form.Image().ScreenWidth(), 9000);
        type(form.Left, 0);
        QCOMPARE(form.AnimationWidth->text(), QString("1000"));
        form.SaveBtn->ButtonClick();
        QVERIFY(!form.Modified());
        {
            TAnimatorForm again;
            again.show();
            QVERIFY(again.OpenFile(out));
            QCOMPARE(again.AnimationWidth->text(), QString("1000"));
        }
        QCOMPARE(screensSeenBy(out), (QStringList{"1000x1005", "1000x1005", "1000x1005"}));

        // Left where it cannot be shown from so small a file: the save says so and writes nothing.
        const QByteArray saved = k5test::ReadFile(out);
        form.SelectFrame(1);
        type(form.Left, 60000);
        k5test::Answerer answers;
        form.SaveBtn->ButtonClick();
        QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Cannot save \"%1\": GIF image too large").arg(out)});
        QVERIFY(form.Modified());
        QCOMPARE(k5test::ReadFile(out), saved);
        QCOMPARE(form.StatusLabel->text(), QString("Ready"));
    }

    // Comments are written so that they read back as typed, here and in gifsicle; older files whose
    // comments are Windows-1252 bytes read as they were meant.
    void commentsReadBackAsTyped()
    {
        QTemporaryDir dir;
        const QString typed = QStringLiteral("Café €5");
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("two.gif"), animation(2))));
        form.PageControl1->setCurrentWidget(form.AnimationPage);
        k5test::Type(form.TrailingComment, QStringLiteral("Ende – fin"));
        form.SelectFrame(1);
        form.PageControl1->setCurrentWidget(form.ImagePage);
        k5test::Type(form.ImageComment, typed);
        const QString out = dir.filePath("comments.gif");
        saveAs(form, out);
        {
            TAnimatorForm again;
            again.show();
            QVERIFY(again.OpenFile(out));
            QCOMPARE(again.TrailingComment->toPlainText(), QString("Ende – fin"));
            again.SelectFrame(1);
            QCOMPARE(again.ImageComment->toPlainText(), typed);
        }
        const QByteArray info = run("gifsicle", {"--info", out});
        QVERIFY(!info.isNull());
        QVERIFY2(unescaped(info).contains("comment " + typed.toUtf8()), info.constData());
        QVERIFY2(unescaped(info).contains("comment " + QStringLiteral("Ende – fin").toUtf8()), info.constData());

        // A comment of Windows-1252 bytes, as older programs wrote them.
        gfx::TGIFImage old;
        old.ReadGIF(animation(1), true);
        QByteArray file = old.WriteGIF(false);
        const int table = uint8_t(file[10]) & 0x80 ? 3 << ((uint8_t(file[10]) & 7) + 1) : 0;
        QCOMPARE(file[13 + table], ','); // the one image follows the table
        file.insert(13 + table, QByteArray("!\xFE\x07" "Caf\xE9 \x80" "5\x00", 11));
        TAnimatorForm older;
        older.show();
        QVERIFY(older.OpenFile(k5test::WriteFile(dir.filePath("old.gif"), file)));
        QCOMPARE(older.ImageComment->toPlainText(), typed);
    }

    // Odd spaces pasted into either comment are saved as they were pasted, not as blanks.
    void pastedSpacesInCommentsAreSavedAsPasted()
    {
        QTemporaryDir dir;
        const QString pasted = QStringLiteral("1\u00A0000\u2007km\u202Fh\u3000end\ntwo\u00A0lines");
        TAnimatorForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("two.gif"), animation(2))));
        QApplication::clipboard()->setText(pasted);
        form.PageControl1->setCurrentWidget(form.AnimationPage);
        form.TrailingComment->setFocus();
        QTest::keyClick(form.TrailingComment, Qt::Key_V, Qt::ControlModifier);
        form.SelectFrame(1);
        form.PageControl1->setCurrentWidget(form.ImagePage);
        form.ImageComment->setFocus();
        QTest::keyClick(form.ImageComment, Qt::Key_V, Qt::ControlModifier);
        const QString out = dir.filePath("spaces.gif");
        saveAs(form, out);
        gfx::TGIFImage read;
        read.ReadGIF(k5test::ReadFile(out), true);
        QCOMPARE(read.Comment(), pasted.split(QLatin1Char('\n')));
        QCOMPARE(read.Frames(1)->Comment(), pasted.split(QLatin1Char('\n')));
    }

    void builtFromOurControls()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The tool-bar hints come in our hint window, a centred rectangle with a shadow of 3 and no tail.
        QWidget *newButton = form.NewBtn->Button();
        const QPoint local(3, 3);
        QHelpEvent help(QEvent::ToolTip, local, newButton->mapToGlobal(local));
        QApplication::sendEvent(newButton, &help);
        qv::TQvHintWindow *hint = qv::ApplicationHintWindow();
        QVERIFY(hint);
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->Hint(), QStringLiteral("New"));
        QVERIFY(!QToolTip::isVisible());
        const qv::THintStyle style = qv::HintStyle();
        QCOMPARE(style.Shape, qv::hsRectangle);
        QCOMPARE(style.ShadowSize, 3);
        QVERIFY(!style.Tail);
        QCOMPARE(style.Alignment, qv::taCenter);
        hint->ReleaseHint();

        // The numbers are our spin edits: a press on the upper part of the duration's diagonal button
        // adds a hundredth of a second, one on the lower part takes it away.
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("two.gif"), animation(2))));
        form.SelectFrame(1);
        form.PageControl1->setCurrentWidget(form.ImagePage);
        auto *duration = form.findChild<qv::TQvSpinEdit *>(QStringLiteral("Duration"));
        QVERIFY(duration);
        type(duration, 25);
        qv::TQvSpinButton *spin = duration->SpinButton();
        QVERIFY(spin);
        QVERIFY(spin->isVisible());
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(form.Image().Frames(1)->AnimateInterval(), 260);
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() - 2, spin->height() - 2));
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() - 2, spin->height() - 2));
        QCOMPARE(form.Image().Frames(1)->AnimateInterval(), 240);
        for (const char *name : {"Left", "Top", "RepeatCount"})
            QVERIFY2(form.findChild<qv::TQvSpinEdit *>(QLatin1String(name)), name);
    }

    // Save As over a file asks first; No leaves it, Yes replaces it whole.
    void saveAsOverAFileAsksFirst()
    {
        QTemporaryDir dir;
        const QString old = k5test::WriteFile(dir.filePath("old.gif"), "old bytes");
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("two.gif"), animation(2))));
        form.GrayscaleClick();
        k5test::HardLink link(old);
        QVERIFY2(link.Error().isEmpty(), qPrintable(link.Error()));
        {
            User user;
            user.TypeFileName(old).Click(QStringLiteral("No")).Escape();
            form.SaveAsBtn->ButtonClick();
            k5test::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(k5test::ReadFile(old), QByteArray("old bytes"));
        QVERIFY(form.Modified());
        QCOMPARE(form.FileName(), dir.filePath("two.gif"));
        {
            User user;
            user.TypeFileName(old).Click(QStringLiteral("Yes"));
            form.SaveAsBtn->ButtonClick();
            k5test::Settle();
            QVERIFY(user.Done());
        }
        QVERIFY(!form.Modified());
        QCOMPARE(form.windowTitle(), QString("Kestrova 5 - old.gif"));
        QCOMPARE(link.Bytes(), QByteArray("old bytes"));
        gfx::TGIFImage back;
        back.ReadGIF(k5test::ReadFile(old), true);
        QCOMPARE(back.Count(), 2);
    }

    void theSaveQuestionIsAnswered()
    {
        QTemporaryDir dir;
        const QString path = k5test::WriteFile(dir.filePath("two.gif"), animation(2));
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(path));
        form.DeleteClick();
        QVERIFY(form.Modified());
        // Cancel keeps everything.
        {
            User user;
            user.Click(QStringLiteral("Cancel"));
            form.NewBtn->ButtonClick();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts, QStringList{"Save changes to current animation?"});
        }
        QCOMPARE(form.Image().Count(), 1);
        QVERIFY(form.Modified());
        // Yes saves first, then starts anew.
        {
            User user;
            user.Click(QStringLiteral("Yes"));
            form.NewBtn->ButtonClick();
            QVERIFY(user.Done());
        }
        QCOMPARE(form.Image().Count(), 0);
        QVERIFY(form.FileName().isEmpty());
        QCOMPARE(form.windowTitle(), QString("QV Gif Animator"));
        gfx::TGIFImage back;
        back.ReadGIF(k5test::ReadFile(path), true);
        QCOMPARE(back.Count(), 1);
        // No discards; closing asks too, and Cancel keeps the window.
        QVERIFY(form.OpenFile(path));
        form.GrayscaleClick();
        {
            User user;
            user.Click(QStringLiteral("Cancel"));
            QTest::keyClick(&form, Qt::Key_Escape);
            QVERIFY(user.Done());
        }
        QVERIFY(form.isVisible());
        {
            User user;
            user.Click(QStringLiteral("No"));
            form.close();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts, QStringList{"Save changes to current animation?"});
        }
        k5test::Settle();
        QVERIFY(!form.isVisible());
        back.ReadGIF(k5test::ReadFile(path), true);
        QCOMPARE(back.Count(), 1);
    }

    void aDamagedFileSaysSoAndLosesNothing()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("good.gif"), animation(3))));
        form.DeleteClick();
        QByteArray bad = animation(2);
        bad.truncate(20);
        k5test::Answerer answers;
        QVERIFY(!form.OpenFile(k5test::WriteFile(dir.filePath("bad.gif"), bad)));
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(answers.Texts().value(0).startsWith(QStringLiteral("Cannot open \"%1\": ").arg(dir.filePath("bad.gif"))));
        QCOMPARE(answers.Texts().value(0).count(dir.filePath("bad.gif")), 1);
        // A file that cannot be read at all is named once, with the reason.
        QVERIFY(!form.OpenFile(dir.filePath("missing.gif")));
        QCOMPARE(answers.Messages().size(), 2);
        QVERIFY(answers.Texts().value(1).contains(QStringLiteral("No such file")));
        QCOMPARE(answers.Texts().value(1).count(dir.filePath("missing.gif")), 1);
        QCOMPARE(form.Image().Count(), 2);
        QVERIFY(form.Modified());
        QCOMPARE(form.FileName(), dir.filePath("good.gif"));
        QVERIFY(!form.InsertFile(k5test::WriteFile(dir.filePath("bad.bmp"), "BM no picture")));
        QCOMPARE(answers.Texts().value(2).count(dir.filePath("bad.bmp")), 1);
        QVERIFY(!form.InsertFile(dir.filePath("missing.bmp")));
        QCOMPARE(answers.Texts().value(3).count(dir.filePath("missing.bmp")), 1);
        QCOMPARE(form.Image().Count(), 2);
        // A write that fails leaves the animation marked and the file whole.
        const QString blocked = k5test::WriteFile(dir.filePath("blocker"), "x") + QStringLiteral("/x.gif");
        QVERIFY(!form.SaveTo(blocked));
        QCOMPARE(answers.Texts().value(4).count(blocked), 1);
        QVERIFY(form.Modified());
        QCOMPARE(form.Image().Count(), 2);
    }

    // Esc while a file is read stops the reading; the animation shown before stays.
    void escapeCancelsALoad()
    {
        QTemporaryDir dir;
        gfx::TGIFImage big;
        QImage noise(400, 300, QImage::Format_Indexed8);
        noise.setColorCount(256);
        for (int i = 0; i < 256; ++i)
            noise.setColor(i, qRgb(i, 255 - i, (i * 7) & 255));
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.scanLine(y)[x] = uchar((x * 31 + y * 17 + x * y) & 255);
        platform::Bitmap bmp;
        bmp.SetImage(noise);
        big.AddFrame(&bmp);
        const QString path = k5test::WriteFile(dir.filePath("big.gif"), big.WriteGIF(false));
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("small.gif"), animation(2))));
        QStringList status;
        QTimer::singleShot(0, &form, [&] {
            status << form.StatusLabel->text();
            QVERIFY(form.Loading());
            QTest::keyClick(&form, Qt::Key_Escape);
        });
        k5test::Answerer answers;
        QVERIFY(!form.OpenFile(path));
        QCOMPARE(status, QStringList{"Press <Esc> to cancel"});
        QVERIFY(answers.Messages().isEmpty());
        QVERIFY(!form.Loading());
        QCOMPARE(form.StatusLabel->text(), QString("Ready"));
        QCOMPARE(form.Image().Count(), 2);
        QCOMPARE(form.FileName(), dir.filePath("small.gif"));
        QVERIFY(form.isVisible());
        // Read without a cancel, it opens.
        QVERIFY(form.OpenFile(path));
        QCOMPARE(form.Image().Count(), 1);
        QCOMPARE(form.AnimationWidth->text(), QString("400"));
    }

    // Esc while a picture is inserted or the animation is written stops the work: the animation stays
    // as it was, and so does the file on disk.
    void escapeCancelsAnInsertAndASave()
    {
        QTemporaryDir dir;
        QImage deep(1200, 900, QImage::Format_RGB888);
        for (int y = 0; y < deep.height(); ++y)
            for (int x = 0; x < deep.width(); ++x)
                deep.setPixel(x, y, qRgb((x * 7 + y) & 255, (y * 5 + x * x) & 255, (x * y) & 255));
        platform::Bitmap bmp;
        bmp.SetImage(deep);
        const QString picture = dir.filePath("deep.bmp");
        bmp.SaveToFile(picture);
        const QString path = k5test::WriteFile(dir.filePath("three.gif"), animation(3));
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(path));
        form.SelectFrame(2);
        form.GrayscaleClick();
        const QByteArray before = form.Image().WriteGIF(false);
        QStringList status;
        auto escapeSoon = [&] {
            QTimer::singleShot(0, &form, [&] {
                status << form.StatusLabel->text();
                QVERIFY(form.Loading());
                QVERIFY(!form.PageControl1->isEnabled());
                QTest::keyClick(&form, Qt::Key_Escape);
            });
        };
        k5test::Answerer answers;
        // Esc once the picture is a tenth encoded: the frame is in the image by then.
        const QMetaObject::Connection midway = connect(form.ProgressBar1, &QProgressBar::valueChanged, &form, [&](int v) {
            if (v < 10 || !form.Loading())
                return;
            status << form.StatusLabel->text();
            QCOMPARE(form.Image().Count(), 4);
            QTest::keyClick(&form, Qt::Key_Escape);
        });
        QVERIFY(!form.InsertFile(picture));
        disconnect(midway);
        QCOMPARE(status, QStringList{"Press <Esc> to cancel"});
        QCOMPARE(form.Image().Count(), 3);
        QCOMPARE(form.Current(), 2);
        QCOMPARE(form.Image().WriteGIF(false), before);
        QVERIFY(form.Modified());

        const QByteArray onDisk = k5test::ReadFile(path);
        escapeSoon();
        form.SaveBtn->ButtonClick();
        QCOMPARE(status, (QStringList{"Press <Esc> to cancel", "Press <Esc> to cancel"}));
        QCOMPARE(k5test::ReadFile(path), onDisk);
        QVERIFY(form.Modified());
        k5test::Settle();
        QVERIFY(answers.Messages().isEmpty());
        QVERIFY(!form.Loading());
        QVERIFY(form.PageControl1->isEnabled());
        QCOMPARE(form.StatusLabel->text(), QString("Ready"));
        QVERIFY(form.isVisible());

        // Left alone, both go through.
        QVERIFY(form.InsertFile(picture));
        QCOMPARE(form.Image().Count(), 4);
        form.SaveBtn->ButtonClick();
        QVERIFY(!form.Modified());
        gfx::TGIFImage back;
        back.ReadGIF(k5test::ReadFile(path), true);
        QCOMPARE(back.Count(), 4);
        QCOMPARE(QSize(back.Frames(3)->Width(), back.Frames(3)->Height()), QSize(1200, 900));
    }

    void insertsAndPastesFrames()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        platform::Bitmap bmp;
        bmp.SetImage(solid(5, 3, qRgb(200, 10, 10)));
        bmp.SaveToFile(dir.filePath("red.bmp"));
        {
            User user;
            user.TypeFileName(dir.filePath("red.bmp"));
            form.InsertBtn->ButtonClick();
            QVERIFY(user.Done());
        }
        QCOMPARE(form.Image().Count(), 1);
        QVERIFY(form.Modified());
        QCOMPARE(form.StatusLabel->text(), QString("Ready"));
        form.CopyBtn->ButtonClick();
        QVERIFY(form.PasteBtn->Enabled());
        form.PasteBtn->ButtonClick();
        QCOMPARE(form.Image().Count(), 2);
        QCOMPARE(order(form), (QList<QRgb>{qRgb(200, 10, 10) & 0xFFFFFF, qRgb(200, 10, 10) & 0xFFFFFF}));
        form.CutBtn->ButtonClick();
        QCOMPARE(form.Image().Count(), 1);
        form.PasteClick();
        QCOMPARE(form.Image().Count(), 2);
    }

    // An inserted picture of many colours is reduced by the method chosen on the options page.
    void insertedPicturesAreReducedByTheChosenMethod()
    {
        QTemporaryDir dir;
        QImage deep(64, 64, QImage::Format_RGB888);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                deep.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
        platform::Bitmap bmp;
        bmp.SetImage(deep);
        const QString path = dir.filePath("deep.bmp");
        bmp.SaveToFile(path);
        TAnimatorForm form;
        form.ColorDepth->setCurrentIndex(3); // 6 x 6 x 6
        QVERIFY(form.InsertFile(path));
        const std::array<uint8_t, 6> &six = gfx::Levels6();
        auto onLevels = [](const auto &levels, int v) { return std::find(levels.begin(), levels.end(), v) != levels.end(); };
        const QImage frame = form.Image().Frames(0)->Bitmap()->Image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(frame.size(), QSize(64, 64));
        for (int y = 0; y < 64; y += 7)
            for (int x = 0; x < 64; x += 5) {
                const QRgb c = frame.pixel(x, y);
                QVERIFY(onLevels(six, qRed(c)) && onLevels(six, qGreen(c)) && onLevels(six, qBlue(c)));
            }
        form.ColorDepth->setCurrentIndex(2); // 7 x 8 x 4
        QVERIFY(form.InsertFile(path));
        const QImage second = form.Image().Frames(1)->Bitmap()->Image().convertToFormat(QImage::Format_RGB32);
        bool notSix = false;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const QRgb c = second.pixel(x, y);
                QVERIFY(onLevels(gfx::Levels7(), qRed(c)) && onLevels(gfx::Levels8(), qGreen(c)) && onLevels(gfx::Levels4(), qBlue(c)));
                notSix = notSix || !onLevels(six, qGreen(c));
            }
        QVERIFY(notSix);
    }

    void optionsAreKeptUnderTheEditorsKey()
    {
        QTemporaryDir dir;
        {
            TAnimatorForm form;
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.ThumbnailsBox->setChecked(false);
            form.FlatBtns->setChecked(false);
            QVERIFY(!(form.SpeedBar1->Options() & speedbar::sbFlatBtns));
            form.AlwaysOnTop->setChecked(true);
            QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
            QVERIFY(form.isVisible());
            form.OpenDialog->SetInitialDir(dir.path());
            form.close();
        }
        platform::Registry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\QV\\Kestrova 5\\TAnimatorForm"), false));
        QCOMPARE(reg.ReadString(QStringLiteral("ThumbnailsBox_Checked")), QString("False"));
        QCOMPARE(reg.ReadString(QStringLiteral("FlatBtns_Checked")), QString("False"));
        QCOMPARE(reg.ReadString(QStringLiteral("AlwaysOnTop_Checked")), QString("True"));
        QCOMPARE(reg.ReadString(QStringLiteral("OpenDialog_InitialDir")), dir.path());
        TAnimatorForm again;
        again.show();
        QVERIFY(!again.ThumbnailsBox->isChecked());
        QVERIFY(!again.FlatBtns->isChecked());
        QVERIFY(!(again.SpeedBar1->Options() & speedbar::sbFlatBtns));
        QVERIFY(again.AlwaysOnTop->isChecked());
        QCOMPARE(again.OpenDialog->InitialDir(), dir.path());
        again.close();
    }

    // The colour buttons open the palette window on the image's table: OK takes an entry, Cancel nothing.
    void colourButtonsPickFromThePalette()
    {
        QTemporaryDir dir;
        TAnimatorForm form;
        form.show();
        QVERIFY(form.OpenFile(k5test::WriteFile(dir.filePath("three.gif"), animation(3))));
        form.SelectFrame(2);
        const QVector<QRgb> table = [&] {
            QVector<QRgb> t;
            const gfx::TGIFColorTable &c = form.Image().Frames(2)->LocalColorTable() ? form.Image().Frames(2)->Item().ColorTable
                                                                                     : form.Image().Data().ColorTable;
            for (int i = 0; i < c.Count; ++i)
                t << platform::ToQRgb(c.Color(i));
            return t;
        }();
        QVERIFY(table.size() >= 2);
        {
            User user;
            user.Click(QStringLiteral("Cancel"));
            form.TransparentColorClick();
            QVERIFY(user.Done());
        }
        QCOMPARE(form.Image().Frames(2)->TransparentColor(), platform::clNone);
        QVERIFY(!form.Transparency->isChecked());
        QVERIFY(!form.Modified());
        {
            User user;
            user.Then([](QWidget *m) {
                auto *p = qobject_cast<media::TPaletteForm *>(m);
                if (!p)
                    return false;
                p->PaletteGrid->FocusCell(1, 0);
                QTest::mouseClick(p->OKBtn, Qt::LeftButton);
                return true;
            });
            form.TransparentColorClick();
            QVERIFY(user.Done());
        }
        QCOMPARE(platform::ToQRgb(form.Image().Frames(2)->TransparentColor()), table[1]);
        QVERIFY(form.Transparency->isChecked());
        QCOMPARE(form.TransparentColor->text(), QColor(table[1]).name());
        QVERIFY(form.Modified());
        form.SelectFrame(0); // the colour belongs to its frame
        QVERIFY(!form.Transparency->isChecked());
    }

    void paletteWindowLaysOutItsEntries()
    {
        QVector<QRgb> many, few;
        for (int i = 0; i < 40; ++i)
            many << qRgb(i * 6, 0, 0);
        for (int i = 0; i < 5; ++i)
            few << qRgb(0, i * 50, 0);
        media::TPaletteForm big(nullptr, many, qRgb(61, 3, 0));
        QCOMPARE(big.windowTitle(), QString("Palette"));
        QCOMPARE(big.Columns(), 16);
        QCOMPARE(big.CellSize(), 18);
        QCOMPARE(big.PaletteGrid->RowCount(), 3);
        QCOMPARE(big.Selected(), 10); // the nearest entry, 60,0,0
        QCOMPARE(big.Result(), qRgb(60, 0, 0) & 0xFFFFFF);
        media::TPaletteForm small(nullptr, few, qRgb(0, 99, 0));
        QCOMPARE(small.Columns(), 8);
        QCOMPARE(small.CellSize(), 31);
        QCOMPARE(small.PaletteGrid->RowCount(), 2);
        QCOMPARE(small.Selected(), 2);
        // The grid is our draw grid with button cells and editors.
        QVERIFY(small.findChild<qv::TQvDrawGrid *>(QStringLiteral("PaletteGrid")));
        // OK gives the chosen entry, Cancel the colour given.
        User user;
        user.Then([](QWidget *m) {
                auto *p = qobject_cast<media::TPaletteForm *>(m);
                if (!p)
                    return false;
                p->PaletteGrid->FocusCell(4, 0);
                QTest::mouseClick(p->OKBtn, Qt::LeftButton);
                return true;
            })
            .Click(QStringLiteral("Cancel"));
        QCOMPARE(media::TPaletteForm::Execute(nullptr, few, qRgb(0, 99, 0)), qRgb(0, 200, 0) & 0xFFFFFF);
        QCOMPARE(media::TPaletteForm::Execute(nullptr, few, qRgb(0, 99, 0)), qRgb(0, 99, 0) & 0xFFFFFF);
        QVERIFY(user.Done());
    }

    void previewPlaysAndSteps()
    {
        gfx::TGIFImage gif;
        gif.ReadGIF(animation(3, 40, 30), true);
        media::TPreviewForm preview(nullptr, gif);
        QCOMPARE(preview.windowTitle(), QString("Preview"));
        QVERIFY(preview.width() >= 270 && preview.height() >= 70);
        QCOMPARE(preview.FrameLabel->text(), QString("Frame:   1"));
        QVERIFY(preview.PlayBtn->isEnabled());
        // Without looping the steps stop at the ends.
        preview.BackOne();
        QCOMPARE(preview.Animator->FrameIndex(), 0);
        preview.FastForward();
        QCOMPARE(preview.FrameLabel->text(), QString("Frame:   3"));
        preview.ForwardOne();
        QCOMPARE(preview.Animator->FrameIndex(), 2);
        preview.Rewind();
        QCOMPARE(preview.Animator->FrameIndex(), 0);
        preview.Play();
        QVERIFY(preview.Animator->Animate());
        QVERIFY(!preview.PlayBtn->isEnabled());
        QTest::keyClick(&preview, Qt::Key_Escape); // stops
        QVERIFY(!preview.Animator->Animate());
        QVERIFY(preview.PlayBtn->isEnabled());
        // Looping, they wrap around.
        gif.SetLooping(true);
        media::TPreviewForm looping(nullptr, gif);
        looping.BackOne();
        QCOMPARE(looping.Animator->FrameIndex(), 2);
        looping.ForwardOne();
        QCOMPARE(looping.Animator->FrameIndex(), 0);
    }

    void aboutBoxShowsMemory()
    {
        const QByteArray meminfo = "MemTotal:       1000000 kB\nMemFree:          100000 kB\nMemAvailable:    250000 kB\n";
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(media::FreeMemoryText(meminfo), QString("250,000 KB"));
        QCOMPARE(media::MemoryLoad(meminfo), 75);
        QCOMPARE(media::MemoryLoad("MemTotal: 0 kB\n"), -1);
        TAnimatorForm form;
        User user;
        QString title, version;
        user.Then([&](QWidget *m) {
            if (!m->findChild<QLabel *>("PhysMem"))
                return false;
            title = m->windowTitle();
            version = m->findChild<QLabel *>("Version")->text();
            QTest::keyClick(m, Qt::Key_Escape);
            return true;
        });
        form.AboutBtn->ButtonClick();
        QVERIFY(user.Done());
        QCOMPARE(title, QString("QV GIF Animator"));
        QCOMPARE(version, QString("Version 1.00"));
    }
};

K5_TEST_MAIN(TestGifAnimator)
#include "test_gifanimator.moc"
