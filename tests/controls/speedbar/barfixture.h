#pragma once
// A main window of class TFrameForm holding the bar SpeedBar1 with two sections of items, shared by the
// bar's tests.
#include "controls/speedbar/speedbar.h"
#include "platform/form.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>

class TFrameForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    TFrameForm() { FinishLoading(); }
};

// A 16 x 16 glyph: a key colour round a coloured square.
inline QImage barGlyph(QRgb colour)
{
    QImage g(16, 16, QImage::Format_RGB32);
    g.fill(qRgb(255, 0, 255));
    for (int y = 3; y < 13; ++y)
        for (int x = 3; x < 13; ++x)
            g.setPixel(x, y, colour);
    return g;
}

struct BarFixture {
    std::unique_ptr<TFrameForm> form = std::make_unique<TFrameForm>();
    speedbar::TSpeedBar *bar = new speedbar::TSpeedBar(form.get());
    QList<speedbar::TSpeedItem *> items; // SpeedItem1 .. SpeedItemN

    // Sections "File" and "Edit", the first `perSection` items in File and the rest in Edit.
    explicit BarFixture(int count = 6, int perSection = 3)
    {
        form->resize(400, 300);
        bar->setObjectName(QStringLiteral("SpeedBar1"));
        for (const char *caption : {"File", "Edit"}) {
            auto *s = new speedbar::TSpeedbarSection(form.get());
            s->SetCaption(QString::fromLatin1(caption));
            bar->AddSection(s);
        }
        for (int i = 1; i <= count; ++i) {
            auto *it = new speedbar::TSpeedItem(form.get());
            it->setObjectName(QStringLiteral("SpeedItem%1").arg(i));
            it->SetCaption(QStringLiteral("Item %1").arg(i));
            it->SetGlyph(barGlyph(qRgb(40 * i % 256, 0, 200)));
            bar->AddItem(i <= perSection ? 0 : 1, it);
            items.append(it);
        }
    }
    speedbar::TSpeedItem *item(int n) const { return items.at(n - 1); }
    // Shows the item at a place of the bar.
    void place(int n, int left, int top) const
    {
        item(n)->SetLeft(left);
        item(n)->SetTop(top);
        item(n)->SetVisible(true);
    }
};
