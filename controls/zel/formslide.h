#pragma once
// A control that shows one form at a time inside itself and changes to the next with a transition: the new
// form's picture is copied over the old one's a few rectangles at a time, and only then is the real form
// placed over the control. Each transition is a step generator (which rectangles of the new picture go
// where at step n); the player paints as many steps as the clock asks for in frames of about 16 ms.
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <span>
#include <vector>

namespace zel {

enum TZELSlideeffects {
    efRandom,
    efNone,
    efWipeTopToBottom,
    efWipeBottomToTop,
    efWipeLeftToRight,
    efWipeRightToLeft,
    efStretchUp,
    efStretchDown,
    efStretchLeft,
    efStretchRight,
    efCloseHorizontalCurtain,
    efOpenHorizontalCurtain,
    efCloseVerticalCurtain,
    efOpenVerticalCurtain,
    efVerticalInterlace,
    efHorizontalInterlace,
    efLeftRightDoppel,
    efTopBottomDoppel,
    efRightLeftDoppel,
    efBottomTopDoppel,
    efLeftRightDoppelInOut,
    efTopBottomDoppelInOut,
    efRightLeftDoppelInOut,
    efBottomTopDoppelInOut,
    efLeftTopToRightBottomWipe,
    efLeftBottomToRightTopWipe,
    efRightTopToLeftBottomWipe,
    efRightBottomToLeftTopWipe,
    efLTRBClosingCurtain,
    efRTLBClosingCurtain,
    efQuadVerticalInterlace,
    efQuadHorizontalInterlace,
    efDoppelVerticalInterlace,
    efDoppelHorizontalInterlace,
    efVerticalQuadUp,
    efVerticalDoppelDown,
    efVeticalQuadDown,
    efVerticalDoppelUp,
    efWipeEffect1,
    efWipeEffect2,
    efWipeEffect3,
    efBitBlt,
    efDripVertical,
    efDripHorizontal,
    efStepWipeVertical,
    efStepWipeHorizontal,
    efScreenOff,
    efFadeDown,
    efWipeEffect4,
    efWipeEffect5,
    efWipeEffect6,
    efHorizontalQuadLeft,
    efHorizontalDoppelRight,
    efHorizontalQuadRight,
    efHorizontalDoppelLeft,
};
inline constexpr int SlideEffectCount = efHorizontalDoppelLeft + 1;

// The name of an effect ("efFadeDown").
const char *SlideEffectName(TZELSlideeffects effect);

// One copy of a transition: the source rectangle of the new picture drawn into the target rectangle of the
// control's picture (the same place, except where an effect stretches or drips).
struct TSlideCopy {
    QRect source, target;
};

// The steps of one effect over a picture of width x height; both rectangles of every copy lie inside it,
// and after the last step every pixel holds the new picture's pixel. An empty picture has no steps.
// efRandom and values outside the list have none either (the player picks for efRandom).
class TSlideSteps {
public:
    TSlideSteps(TZELSlideeffects effect, int width, int height);
    int Count() const { return int(starts_.size()) - 1; }
    std::span<const TSlideCopy> Step(int n) const;
    // Copies of all steps together.
    qsizetype CopyCount() const { return qsizetype(copies_.size()); }

private:
    void build(TZELSlideeffects effect);
    void step() { starts_.push_back(int(copies_.size())); }
    void rect(int x, int y, int w, int h);
    void px(int x, int y) { rect(x, y, 1, 1); }
    void rowEvery(int y, int x0, int stride);
    void colEvery(int x, int y0, int stride);
    void diag(int k, bool flipX, bool flipY);
    void copy(const QRect &source, const QRect &target);

    int w_, h_;
    std::vector<TSlideCopy> copies_;
    std::vector<int> starts_; // start of each step, then the end
};

// Plays steps onto a picture: what the player does each frame, apart for tests and the benchmark.
void ApplySlideCopies(QImage &target, const QImage &source, std::span<const TSlideCopy> copies);

class TZELFormSlide : public QWidget {
    Q_OBJECT
public:
    explicit TZELFormSlide(QWidget *parent = nullptr);
    ~TZELFormSlide() override;

    TZELSlideeffects SlideEffect() const { return effect_; }
    void SetSlideEffect(TZELSlideeffects value) { effect_ = value; }

    // Shows form in the control with the current effect; ignored for null, for the form shown now and
    // while a transition runs. The form shown before is hidden and given back to its former parent.
    void ShowForm(QWidget *form);
    bool Busy() const { return busy_; }
    QWidget *CurrentForm() const { return current_; }
    // Plays the rest of a running transition at once.
    void Finish();

    // Set for one ShowForm: the form replaced is deleted instead of handed back.
    bool FreeOldForm = false;
    // How long a transition takes, in milliseconds.
    int Duration = 600;
    // Draws a number below bound (efRandom picks 1 + Random(54)); replaceable so tests know the effect.
    std::function<quint32(quint32 bound)> Random;
    // A replaced form given back to its former parent.
    std::function<void(QWidget *form)> OnHandBack;
    // A transition ended.
    std::function<void()> OnDone;

    // Figures of the last transition, for the benchmark.
    struct TTransition {
        TZELSlideeffects effect = efNone;
        int steps = 0, frames = 0;
        qint64 totalNs = 0, longestFrameNs = 0;
    };
    const TTransition &LastTransition() const { return last_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void tick();
    void finish();

    TZELSlideeffects effect_ = efNone;
    bool busy_ = false;
    QPointer<QWidget> current_, old_;
    QPointer<QWidget> currentParent_, oldParent_;
    bool freeOld_ = false;
    QImage snapshot_, source_;
    std::unique_ptr<TSlideSteps> steps_;
    int done_ = 0;
    QTimer timer_;
    QElapsedTimer clock_;
    TTransition last_;
};

} // namespace zel
