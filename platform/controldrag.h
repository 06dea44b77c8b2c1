#pragma once
// Dragging one control onto another inside the program (not the system's drag and drop of data): a
// control in automatic mode starts a drag when the left button goes down on it; every control under the
// pointer that has an OnDragOver is asked whether it takes the source, the one under the release gets
// OnDragDrop when it did, and the source hears OnEndDrag with the target (or none). Escape cancels.
#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace platform {

enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };

class ControlDrag : public QObject {
    Q_OBJECT

public:
    using StartDragEvent = std::function<void(QObject *sender, QObject *&dragObject)>;
    using DragOverEvent = std::function<void(QObject *sender, QObject *source, int x, int y, TDragState state, bool &accept)>;
    using DragDropEvent = std::function<void(QObject *sender, QObject *source, int x, int y)>;
    using EndDragEvent = std::function<void(QObject *sender, QObject *target, int x, int y)>;

    // `control` is the sender of the events and what is dragged; mouse input is watched on `input` (a
    // scroll area's viewport, say), which defaults to the control itself. Coordinates are the control's.
    explicit ControlDrag(QWidget *control, QWidget *input = nullptr);
    ~ControlDrag() override;

    TDragMode DragMode() const { return mode_; }
    void SetDragMode(TDragMode m) { mode_ = m; }
    QCursor DragCursor() const { return cursor_; }
    void SetDragCursor(const QCursor &c) { cursor_ = c; }
    bool Dragging() const { return active_ == this; }
    // Starts a drag of the control from the pointer's place; a drag already running elsewhere ends first.
    void BeginDrag();
    // Ends the drag: dropped where the pointer is, or cancelled.
    void EndDrag(bool drop);

    StartDragEvent OnStartDrag;
    DragOverEvent OnDragOver;
    DragDropEvent OnDragDrop;
    EndDragEvent OnEndDrag;

    // The drag helper of a control, or nullptr.
    static ControlDrag *Of(const QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void Start(); // from global_
    void Move(const QPoint &global);
    // The control under a screen point that takes part in dragging (has an OnDragOver), and its helper.
    static ControlDrag *TargetAt(const QPoint &global);
    void Leave();

    QWidget *control_;
    QPointer<QWidget> input_;
    TDragMode mode_ = TDragMode::dmManual;
    QCursor cursor_ = QCursor(Qt::DragMoveCursor);
    QPointer<ControlDrag> over_; // the target asked last
    bool accepted_ = false;
    QPoint global_; // where the pointer was last seen
    static ControlDrag *active_;
};

// The drag members a control publishes, over the helper it carries: a base of the control, listed after
// its widget base so that the widget exists when the helper is made.
class ControlDragMembers {
public:
    explicit ControlDragMembers(ControlDrag *drag)
        : OnStartDrag(drag->OnStartDrag), OnDragOver(drag->OnDragOver), OnDragDrop(drag->OnDragDrop),
          OnEndDrag(drag->OnEndDrag), drag_(drag)
    {
    }
    ControlDragMembers(const ControlDragMembers &) = delete;
    ControlDragMembers &operator=(const ControlDragMembers &) = delete;

    TDragMode DragMode() const { return drag_->DragMode(); }
    void SetDragMode(TDragMode m) { drag_->SetDragMode(m); }
    QCursor DragCursor() const { return drag_->DragCursor(); }
    void SetDragCursor(const QCursor &c) { drag_->SetDragCursor(c); }
    void BeginDrag() { drag_->BeginDrag(); }
    ControlDrag::StartDragEvent &OnStartDrag;
    ControlDrag::DragOverEvent &OnDragOver;
    ControlDrag::DragDropEvent &OnDragDrop;
    ControlDrag::EndDragEvent &OnEndDrag;

protected:
    ~ControlDragMembers() = default;

private:
    ControlDrag *drag_; // a child of the control, which frees it
};

} // namespace platform
