#include "splash.h"

#include "controls/misc/propanel.h"
#include "graphics/qv/qvgifanimator.h"
#include "platform/folders.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace app {

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 61);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    auto *col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    ProPanel1 = new misc::TProPanel(this);
    ProPanel1->setObjectName(QStringLiteral("ProPanel1"));
    ProPanel1->SetBevelSides(misc::TSides(misc::sdLeft | misc::sdBottom | misc::sdRight));
    col->addWidget(ProPanel1);
    auto *inner = new QVBoxLayout(ProPanel1);
    inner->setContentsMargins(ProPanel1->contentsMargins());
    QvGIFAnimator1 = new gfx::TQvGIFAnimator(ProPanel1);
    QvGIFAnimator1->setObjectName(QStringLiteral("QvGIFAnimator1"));
    QvGIFAnimator1->SetCenter(true);
    inner->addWidget(QvGIFAnimator1);
    QFile picture(platform::ShippedDataFolder() + QStringLiteral("/splash.gif"));
    if (picture.open(QIODevice::ReadOnly)) {
        gfx::TGIFImage image;
        try {
            image.LoadFromStream(picture);
            QvGIFAnimator1->SetImage(&image);
            QvGIFAnimator1->SetLoop(true);
            QvGIFAnimator1->SetAnimate(true);
        } catch (const std::exception &) {
            // A damaged picture leaves the panel plain; the program starts all the same.
        }
    }
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TSplash::CloseWhenActive(QWidget *mainWindow)
{
    mainWindow_ = mainWindow;
    mainWindow->installEventFilter(this);
    if (mainWindow->isVisible() && mainWindow->isActiveWindow())
        close();
}

bool TSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mainWindow_ && (event->type() == QEvent::WindowActivate || event->type() == QEvent::ActivationChange) &&
        mainWindow_->isVisible() && mainWindow_->isActiveWindow()) {
        mainWindow_->removeEventFilter(this);
        mainWindow_ = nullptr;
        close();
    }
    return QWidget::eventFilter(watched, event);
}

void TSplash::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            wasActive_ = true;
        else if (wasActive_)
            close();
    }
    QWidget::changeEvent(event);
}

} // namespace app
