// Plays every transition of the form slide control on a 500 x 400 form, offscreen, between two forms
// full of controls, and prints for each: its steps, frames, frames per second, the whole time and the
// longest frame (a frame: the steps the clock asks for, copied and painted). Goal: every transition
// 0.3 to 2 s in all, no frame over 33 ms. Run:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/formslide/bench_formslide
#include "controls/zel/formslide.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>

namespace {

QWidget *page(const QString &title)
{
    auto *w = new QWidget;
    w->setAutoFillBackground(true);
    auto *l = new QFormLayout(w);
    for (int i = 0; i < 5; ++i)
        l->addRow(QStringLiteral("%1 field %2").arg(title).arg(i), new QLineEdit(QStringLiteral("text %1").arg(i)));
    auto *memo = new QPlainTextEdit;
    memo->setPlainText(QStringLiteral("Shared Border - Text Here\n\nNote! That you can also write HTML codes here."));
    l->addRow(QStringLiteral("Memo"), memo);
    l->addRow(new QCheckBox(QStringLiteral("A check box")));
    l->addRow(new QPushButton(QStringLiteral("&Ok")));
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    window.resize(500, 400);
    auto *slide = new zel::TZELFormSlide(&window);
    slide->setGeometry(0, 0, 500, 400);
    window.show();
    QWidget *forms[2] = {page(QStringLiteral("First")), page(QStringLiteral("Second"))};

    std::printf("%-30s %8s %7s %8s %9s %11s  %s\n", "transition", "steps", "frames", "fps", "total s",
                "longest ms", "goal");
    int failed = 0;
    double worstFrame = 0, shortest = 1e9, longest = 0;
    for (int e = zel::efNone; e < zel::SlideEffectCount; ++e) {
        slide->SetSlideEffect(zel::TZELSlideeffects(e));
        bool done = false;
        slide->OnDone = [&done] { done = true; };
        slide->ShowForm(forms[e % 2]);
        while (!done)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const auto &t = slide->LastTransition();
        const double total = double(t.totalNs) / 1e9, frameMs = double(t.longestFrameNs) / 1e6;
        const bool ok = e == zel::efNone || (total >= 0.3 && total <= 2.0 && frameMs <= 33.0);
        failed += !ok;
        if (e != zel::efNone) {
            worstFrame = std::max(worstFrame, frameMs);
            shortest = std::min(shortest, total);
            longest = std::max(longest, total);
        }
        std::printf("%-30s %8d %7d %8.1f %9.3f %11.2f  %s\n", zel::SlideEffectName(zel::TZELSlideeffects(e)), t.steps,
                    t.frames, total > 0 ? t.frames / total : 0.0, total, frameMs, ok ? "ok" : "MISSED");
    }
    std::printf("\n53 transitions besides efNone: %.3f to %.3f s, longest frame %.2f ms; %d missed the goal\n",
                shortest, longest, worstFrame, failed);
    return failed ? 1 : 0;
}
