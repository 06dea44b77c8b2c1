// A page shown from disk may be someone else's: its scripts must not read the user's files, while the
// page's own scripts, style sheets, images, fonts, media and frames keep working.
#include "k5test.h"

#include "tests/platform/browser/browsertest.h"

#include "platform/browser/localpages.h"
#include "platform/browser/webbrowser.h"
#include "platform/filenames.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <fcntl.h>
#include <unistd.h>

using platform::WebBrowser;

namespace {

const bool prepared = browsertest::Prepare();

const QByteArray kBeside = "BESIDE-SECRET-4711";
const QByteArray kAbove = "ABOVE-SECRET-0815";

QString site() { return k5test::Root() + QStringLiteral("/site"); }

QString write(const QString &relative, const QByteArray &bytes)
{
    return k5test::WriteFile(QDir::cleanPath(site() + QLatin1Char('/') + relative), bytes);
}

QByteArray pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A quarter second of silence, 8 kHz mono 8-bit.
QByteArray wavBytes()
{
    const quint32 samples = 2000;
    QByteArray b;
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](quint16 v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    b.append("RIFF");
    u32(36 + samples);
    b.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    b.append("data");
    u32(samples);
    b.append(QByteArray(int(samples), char(0x80)));
    return b;
}

// The page tries every way of reading each target it knows of; each try sets one entry of results, and
// the title says when all have answered.
const char *kThief = R"(<html><head><title>start</title></head><body><script>
var targets = { beside: 'secret.txt', above: '../secret.txt', besideAbs: '%1', aboveAbs: '%2',
                html: 'private.htm', css: 'private.css', png: 'photo.png', pngAbs: '%3' };
var results = {}, left = 0, started = false, errors = [];
function finish() { if (started && left === 0) document.title = 'done'; }
window.addEventListener('error', function (e) { errors.push(e.message); });
function probe(key, run) {
  ++left;
  var done = function (value) {
    if (key in results) return;
    results[key] = String(value).replace(/[^ -~]/g, '?').slice(0, 100);
    --left;
    finish();
  };
  setTimeout(function () { done('no answer'); }, 20000);
  try { run(done); } catch (e) { done('refused'); }
}
function element(tag, attributes, done) {
  var e = document.createElement(tag);
  e.onload = function () { done(e); };
  e.onerror = function () { done(null); };
  for (var a in attributes) e.setAttribute(a, attributes[a]);
  document.body.appendChild(e);
}
Object.keys(targets).forEach(function (name) {
  var t = targets[name];
  probe('syncXhr ' + name, function (done) {
    var x = new XMLHttpRequest(); x.open('GET', t, false); x.send(); done(x.responseText);
  });
  probe('xhr ' + name, function (done) {
    var x = new XMLHttpRequest(); x.open('GET', t);
    x.onload = function () { done(x.responseText); };
    x.onerror = function () { done('refused'); };
    x.send();
  });
  probe('fetch ' + name, function (done) {
    fetch(t).then(function (r) { return r.text(); }).then(done, function () { done('refused'); });
  });
  probe('frame ' + name, function (done) {
    element('iframe', { src: t }, function (f) {
      try { done(f && f.contentDocument ? f.contentDocument.documentElement.outerHTML : 'refused'); }
      catch (e) { done('refused'); }
    });
  });
  probe('object ' + name, function (done) {
    element('object', { data: t }, function (o) {
      try { done(o && o.contentDocument ? o.contentDocument.documentElement.outerHTML : 'refused'); }
      catch (e) { done('refused'); }
    });
  });
  probe('css ' + name, function (done) {
    element('link', { rel: 'stylesheet', href: t }, function (l) {
      try { done(l && l.sheet ? Array.prototype.map.call(l.sheet.cssRules, function (r) { return r.cssText; }).join() : 'refused'); }
      catch (e) { done('refused'); }
    });
  });
  probe('canvas ' + name, function (done) {
    element('img', { src: t }, function (i) {
      if (!i) { done('refused'); return; }
      var c = document.createElement('canvas'), g = c.getContext('2d');
      g.drawImage(i, 0, 0);
      try { done('pixel ' + Array.prototype.join.call(g.getImageData(0, 0, 1, 1).data)); } catch (e) { done('refused'); }
    });
  });
  probe('script ' + name, function (done) {
    var before = errors.length;
    element('script', { src: t }, function () { done(errors.slice(before).join() || 'ran'); });
  });
});
started = true;
finish();
</script></body></html>)";

// The page's own side files, in a sub-folder and one folder up; each reports that it arrived.
const char *kOwnPage = R"(<html><head><title>start</title>
<link rel="stylesheet" href="css/look.css">
<script src="js/sub.js"></script>
<script src="../shared/up.js"></script>
<style>@font-face { font-family: OwnFont; src: url("fonts/own.ttf"); }</style>
</head><body><div id="box">box</div>
<img id="pic" src="img/pic.png"><img id="uppic" src="../shared/up.png">
<audio id="snd" preload="auto" src="media/tone.wav"></audio>
<script>
var seen = { frames: [] };
window.addEventListener('message', function (e) { seen.frames.push(String(e.data)); check(); });
function media() { return document.getElementById('snd').readyState >= 1 ? 'media' : ''; }
document.getElementById('snd').addEventListener('loadedmetadata', function () { check(); });
document.getElementById('snd').addEventListener('error', function () { seen.mediaError = true; check(); });
document.fonts.load('16px OwnFont').then(function (f) { seen.font = f.length > 0 ? 'font' : 'nofont'; check(); },
                                         function () { seen.font = 'nofont'; check(); });
function storage() {
  try { localStorage.setItem('k', 'stored'); return localStorage.getItem('k'); } catch (e) { return 'nostorage'; }
}
var loaded = false;
window.addEventListener('load', function () { loaded = true; check(); });
function check() {
  if (!loaded || !seen.font || seen.frames.length < 2 || !(media() || seen.mediaError)) return;
  var r = [typeof fromSub === 'undefined' ? '-' : fromSub,
           typeof fromUp === 'undefined' ? '-' : fromUp,
           getComputedStyle(document.getElementById('box')).width,
           document.getElementById('pic').naturalWidth, document.getElementById('uppic').naturalWidth,
           seen.font, media() || 'nomedia', seen.frames.sort().join('+'), storage()];
  document.title = 'done ' + r.join(' ');
}
</script>
<iframe src="parts/frame.htm"></iframe><iframe src="../shared/upframe.htm"></iframe>
</body></html>)";

QString fileUrl(const QString &path) { return QUrl::fromLocalFile(path).toString(); }

// The title of the page with its own side files once all of them have arrived.
const QString kOwnReport = QStringLiteral("done sub up 123px 17 19 font media frame+upframe stored");

bool waitTitle(WebBrowser &b, const QString &title)
{
    return browsertest::WaitUntil([&] { return b.LocationName() == title && !b.Busy(); });
}

} // namespace

class TestLocalFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        write(QStringLiteral("secret.txt"), kBeside);
        k5test::WriteFile(k5test::Root() + QStringLiteral("/secret.txt"), kAbove);
        write(QStringLiteral("private.htm"), "<html><body>" + kBeside + "</body></html>");
        write(QStringLiteral("private.css"), "#" + kBeside + " { color: red; }");
        write(QStringLiteral("photo.png"), pngBytes(3, 3));
        thief_ = write(QStringLiteral("thief.htm"),
                       QString::fromLatin1(kThief)
                           .arg(fileUrl(site() + QStringLiteral("/secret.txt")),
                                fileUrl(k5test::Root() + QStringLiteral("/secret.txt")),
                                fileUrl(site() + QStringLiteral("/photo.png")))
                           .toUtf8());
        own_ = write(QStringLiteral("own.htm"), kOwnPage);
        write(QStringLiteral("css/look.css"), "#box { width: 123px; }");
        write(QStringLiteral("js/sub.js"), "var fromSub = 'sub';");
        write(QStringLiteral("../shared/up.js"), "var fromUp = 'up';");
        write(QStringLiteral("img/pic.png"), pngBytes(17, 9));
        write(QStringLiteral("../shared/up.png"), pngBytes(19, 7));
        write(QStringLiteral("media/tone.wav"), wavBytes());
        write(QStringLiteral("parts/frame.htm"), "<html><body><script>parent.postMessage('frame', '*');</script></body></html>");
        write(QStringLiteral("../shared/upframe.htm"),
              "<html><body><script>parent.postMessage('upframe', '*');</script></body></html>");
        QFile font(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        QVERIFY2(font.open(QIODevice::ReadOnly), "the test needs a TrueType font to serve as the page's own");
        write(QStringLiteral("fonts/own.ttf"), font.readAll());
    }

    void scriptsCannotReadOtherFiles()
    {
        WebBrowser b;
        b.resize(400, 300);
        b.show();
        b.Navigate(thief_);
        QVERIFY(waitTitle(b, QStringLiteral("done")));
        const QJsonObject results =
            QJsonDocument::fromJson(browsertest::RunJavaScript(b.Page(), QStringLiteral("JSON.stringify(results)")).toString().toUtf8())
                .object();
        QCOMPARE(results.size(), 8 * 8);
        QStringList read;
        for (auto it = results.begin(); it != results.end(); ++it) {
            const QString got = it.value().toString();
            // A script from disk may run; what it holds must not come back, not even in an error message.
            const bool refused = it.key().startsWith(QLatin1String("script "))
                                     ? !got.contains(QLatin1String("BESIDE")) && !got.contains(QLatin1String("ABOVE"))
                                     : got == QLatin1String("refused");
            if (!refused)
                read << it.key() + QStringLiteral(": ") + got;
        }
        QVERIFY2(read.isEmpty(), qPrintable(read.join(QStringLiteral("\n"))));
    }

    void ownFilesLoadAndRun()
    {
        WebBrowser b;
        b.resize(400, 300);
        b.show();
        b.Navigate(own_);
        QVERIFY2(waitTitle(b, kOwnReport), qPrintable(b.LocationName()));
        QCOMPARE(b.LocationURL(), fileUrl(own_));
    }

    void addressesWithOddCharacters()
    {
        const QString path = write(QStringLiteral("odd dir/a b#1%25 ä.htm"),
                                   "<html><head><title>odd</title><script src=\"../js/sub.js\"></script></head><body>"
                                   "<script>document.title = 'odd ' + fromSub + ' ' + location.search + location.hash;"
                                   "</script></body></html>");
        QUrl file = QUrl::fromLocalFile(path);
        file.setQuery(QStringLiteral("x=1&y=%C3%A4"));
        file.setFragment(QStringLiteral("part"));
        const QUrl page = platform::LocalPageAddress(file);
        QVERIFY(page.scheme() != QLatin1String("file"));
        QCOMPARE(platform::FileAddress(page), file);
        // Other addresses, and folders, stay as they are.
        const QUrl web(QStringLiteral("http://example.invalid/a b"));
        QCOMPARE(platform::LocalPageAddress(web), web);
        QCOMPARE(platform::FileAddress(web), web);
        const QUrl folder = QUrl::fromLocalFile(site());
        QCOMPARE(platform::LocalPageAddress(folder), folder);

        WebBrowser b;
        b.show();
        b.Navigate(file.toString());
        QVERIFY2(waitTitle(b, QStringLiteral("odd sub ?x=1&y=%C3%A4#part")), qPrintable(b.LocationName()));
        QCOMPARE(QUrl(b.LocationURL()), file);
    }

    // A page whose name is no UTF-8 is shown from its own bytes, with its side files, and its address keeps
    // them.
    void aPageWhoseNameIsNoTextIsShown()
    {
        const QByteArray bytes = QFile::encodeName(site()) + "/bad\xff.htm";
        const QByteArray page = "<html><head><script src=\"js/sub.js\"></script></head><body>"
                                "<script>document.title = 'bytes ' + fromSub;</script></body></html>";
        const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, page.constData(), size_t(page.size())), ssize_t(page.size()));
        ::close(fd);
        WebBrowser b;
        b.show();
        b.Navigate(platform::DecodeName(bytes));
        QVERIFY2(waitTitle(b, QStringLiteral("bytes sub")), qPrintable(b.LocationName()));
        QCOMPARE(QUrl(b.LocationURL()).toEncoded(), "file://" + bytes.toPercentEncoding("/"));
    }

    void linksToFileAddressesShowThePageTheSameWay()
    {
        WebBrowser b;
        b.show();
        QStringList before;
        b.OnBeforeNavigate = [&](WebBrowser *, const QString &url, bool &) { before << url; };
        const QString links =
            write(QStringLiteral("links.htm"),
                  QStringLiteral("<html><head><title>links</title></head><body><a id=\"own\" href=\"%1\">own</a></body></html>")
                      .arg(fileUrl(own_))
                      .toUtf8());
        b.Navigate(links);
        QVERIFY(waitTitle(b, QStringLiteral("links")));
        browsertest::RunJavaScript(b.Page(), QStringLiteral("document.getElementById('own').click()"));
        QVERIFY2(waitTitle(b, kOwnReport), qPrintable(b.LocationName()));
        QCOMPARE(b.LocationURL(), fileUrl(own_));
        QCOMPARE(before, QStringList({fileUrl(links), fileUrl(own_)}));
        // Back in history is the page it came from, under its file address.
        b.GoBack();
        QVERIFY(waitTitle(b, QStringLiteral("links")));
        QCOMPARE(b.LocationURL(), fileUrl(links));
    }

    void webPagesCannotReachLocalFiles()
    {
        // A page from the web may neither show the user's files nor learn that they exist.
        WebBrowser b;
        b.show();
        const QString photo = site() + QStringLiteral("/photo.png");
        const QString font = site() + QStringLiteral("/fonts/own.ttf");
        const QString page = QStringLiteral(
            "<html><head><title>start</title></head><body><script>"
            "var left = 4, got = [];"
            "function report(what) { got.push(what); if (--left === 0) document.title = 'done ' + got.sort().join(' '); }"
            "['%1', '%2'].forEach(function (src, i) {"
            "  var im = new Image(); im.onload = function () { report(i + ' loaded'); };"
            "  im.onerror = function () { report(i + ' refused'); }; im.src = src; });"
            "['%3', '%4'].forEach(function (src, i) {"
            "  new FontFace('f' + i, 'url(' + src + ')').load().then(function () { report('font' + i + ' loaded'); },"
            "                                                   function () { report('font' + i + ' refused'); }); });"
            "</script></body></html>")
                                 .arg(fileUrl(photo), platform::LocalPageAddress(QUrl::fromLocalFile(photo)).toString(),
                                      fileUrl(font), platform::LocalPageAddress(QUrl::fromLocalFile(font)).toString());
        b.Page()->setHtml(page, QUrl(QStringLiteral("http://example.invalid/")));
        QVERIFY(browsertest::WaitUntil([&] { return b.LocationName().startsWith(QLatin1String("done ")); }));
        QCOMPARE(b.LocationName(), QStringLiteral("done 0 refused 1 refused font0 refused font1 refused"));
    }

private:
    QString thief_;
    QString own_;
};

K5_TEST_MAIN(TestLocalFiles)
#include "test_localfiles.moc"
