#include "timerex.h"

namespace media {

TTimerEx::TTimerEx(QObject *owner) : QObject(owner), core_(new qv::TQvTimer(this)) {}

TTimerEx::~TTimerEx()
{
    // The core stops before the handler it calls goes away.
    delete core_;
    core_ = nullptr;
}

TTimerEx::Handler TTimerEx::OnTimer() const
{
    QMutexLocker lock(&handlerLock_);
    return onTimer_;
}

void TTimerEx::SetOnTimer(Handler handler)
{
    const bool bound = bool(handler);
    {
        QMutexLocker lock(&handlerLock_);
        onTimer_ = std::move(handler);
    }
    if (bound)
        core_->OnTimer = [this](QObject *) { Timer(); };
    else
        core_->OnTimer = nullptr;
}

void TTimerEx::Timer()
{
    if (!core_ || !core_->Enabled())
        return;
    if (const Handler h = OnTimer())
        h(this);
}

} // namespace media
