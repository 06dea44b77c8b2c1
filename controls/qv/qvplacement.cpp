#include "qvplacement.h"

#include "controls/qv/qvhooks.h"
#include "controls/qv/qvutils.h"

#include <QGuiApplication>
#include <algorithm>
#include <climits>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace qv {
namespace {

QScreen *screen()
{
    return QGuiApplication::primaryScreen();
}

int screenPixelsPerInch()
{
    return screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
}

QString screenSuffix()
{
    const QSize s = screen() ? screen()->geometry().size() : QSize();
    return QStringLiteral("(%1x%2)").arg(s.width()).arg(s.height());
}

// Four integers split at blanks and commas, each with its default.
QList<int> fourIntegers(const QString &text, const QList<int> &defaults)
{
    QList<int> out = defaults;
    for (int i = 0; i < 4; ++i)
        out[i] = StrToIntDef(NthWord(i + 1, text, BlankComma()), defaults[i]);
    return out;
}

QString joinFour(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

bool sizeable(const QWidget *frame)
{
    return frame->minimumSize() != frame->maximumSize();
}

// The form name used in a reference to another form's component.
QString formReferenceName(const platform::Form *form)
{
    const QString name = form->Widget()->objectName();
    if (!name.isEmpty())
        return name;
    const QString cls = form->ClassName();
    return cls.startsWith(QLatin1Char('T')) ? cls.mid(1) : cls;
}

} // namespace

namespace {

// Window sizes beyond what X11 coordinates hold are refused by the window system.
constexpr int kLargestWindowSide = 32767;
// How much of a window must lie on a screen: enough of its title bar to drag it.
constexpr int kGrip = 24;

} // namespace

bool ShowableSize(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kLargestWindowSide &&
           size.height() <= kLargestWindowSide;
}

bool ShowablePlace(const QWidget *window, QPoint place, QSize size)
{
    auto far = [](int v) { return v < -kLargestWindowSide || v > kLargestWindowSide; };
    if (far(place.x()) || far(place.y()))
        return false;
    const QRect bounds(place, size.boundedTo(QSize(kLargestWindowSide, kLargestWindowSide)).expandedTo(QSize(1, 1)));
    const QSize grip = bounds.size().boundedTo(QSize(kGrip, kGrip));
    // The title bar is the top of the frame: it must lie in the area, never above it, with enough of it
    // to take hold of.
    const QRect title(bounds.topLeft(), QSize(bounds.width(), grip.height()));
    auto holds = [&](const QRect &area) {
        const QRect seen = area.intersected(title);
        return bounds.top() >= area.top() && seen.width() >= grip.width() && seen.height() >= grip.height();
    };
    if (window && !window->isWindow()) {
        // A document window lies in its area; an area not laid out yet tells nothing.
        const QWidget *area = window->parentWidget();
        return !area || area->size().isEmpty() || holds(QRect(QPoint(0, 0), area->size()));
    }
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true;
    for (const QScreen *s : screens)
        if (holds(s->availableGeometry()))
            return true;
    return false;
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return *this == TWinMinMaxInfo();
}

// Window placement record

void WritePlacementRecord(platform::Form *form, IniObject *ini, const QString &section)
{
    const Qt::WindowStates states = form->Frame()->windowState();
    int showCmd = 1;
    int flags = 0;
    if (states & Qt::WindowMinimized) {
        showCmd = 2;
        if (states & Qt::WindowMaximized)
            flags |= 2; // restores to maximised
        if (form->IsMdiChild())
            flags |= 1; // its minimised position counts
    } else if (states & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        showCmd = 3;
    }
    QRect normal;
    if (!form->NormalBounds(&normal))
        normal = form->Bounds();
    // Where the form sits minimised (a document window's icon in its area) and maximised; -1 where the
    // form is not in that state, as the window system gives for a place it does not know.
    QPoint minPos(-1, -1), maxPos(-1, -1);
    if ((states & Qt::WindowMinimized) && form->IsMdiChild())
        minPos = form->Frame()->pos();
    else if ((states & Qt::WindowMaximized) && !(states & Qt::WindowMinimized))
        maxPos = form->Frame()->pos();
    const QString minMax = joinFour(minPos.x(), minPos.y(), maxPos.x(), maxPos.y());
    const QString norm = joinFour(normal.left(), normal.top(), normal.left() + normal.width(),
                                  normal.top() + normal.height());
    ini->WriteInteger(section, QStringLiteral("Flags"), flags);
    ini->WriteInteger(section, QStringLiteral("ShowCmd"), showCmd);
    ini->WriteInteger(section, QStringLiteral("PixelsPerInch"), screenPixelsPerInch());
    const QString suffix = screenSuffix();
    ini->WriteString(section, QStringLiteral("MinMaxPos") + suffix, minMax);
    ini->WriteString(section, QStringLiteral("NormPos") + suffix, norm);
    ini->WriteString(section, QStringLiteral("MinMaxPos"), minMax);
    ini->WriteString(section, QStringLiteral("NormPos"), norm);
}

void ReadPlacementRecord(platform::Form *form, IniObject *ini, const QString &section, bool position, bool state)
{
    QWidget *frame = form->Frame();
    QPoint minPos(-1, -1);
    if (position) {
        const QString suffix = screenSuffix();
        auto readPos = [&](const QString &key) {
            const QString sized = ini->ReadString(section, key + suffix, QString());
            return sized.isEmpty() ? ini->ReadString(section, key, QString()) : sized;
        };
        const QString minMax = readPos(QStringLiteral("MinMaxPos"));
        const QString norm = readPos(QStringLiteral("NormPos"));
        const bool present = !minMax.isEmpty() || !norm.isEmpty();
        const bool sameDpi = ini->ReadInteger(section, QStringLiteral("PixelsPerInch"), screenPixelsPerInch()) ==
                             screenPixelsPerInch();
        if (present && sameDpi) {
            // A document window's icon goes back to its place when the record says that place counts.
            const QList<int> m = fourIntegers(minMax, {0, 0, 0, 0});
            if ((ini->ReadInteger(section, QStringLiteral("Flags"), 0) & 1) && form->IsMdiChild())
                minPos = QPoint(m[0], m[1]);
            const QRect b = form->Bounds();
            const QList<int> r = fourIntegers(norm, {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()});
            auto span = [](int from, int to) { return int(std::clamp<qint64>(qint64(to) - from, INT_MIN, INT_MAX)); };
            // What cannot be shown gives way to the form's own size or place.
            QSize size(span(r[0], r[2]), span(r[1], r[3]));
            if (!sizeable(frame) || !ShowableSize(size))
                size = b.size();
            QPoint place(r[0], r[1]);
            if (!ShowablePlace(frame, place, size))
                place = b.topLeft();
            const QRect rect(place, size);
            if (rect != b) {
                // The normal rectangle is set without leaving the current state.
                const Qt::WindowState current = form->State();
                if (current != Qt::WindowNoState)
                    form->SetState(Qt::WindowNoState);
                form->SetBounds(rect);
                if (current != Qt::WindowNoState)
                    form->SetState(current);
            }
        }
    }
    if (state) {
        const bool mainForm = form == platform::Form::MainForm();
        Qt::WindowState value = mainForm && form->IsMdiFrame() ? Qt::WindowMaximized : Qt::WindowNoState;
        switch (ini->ReadInteger(section, QStringLiteral("ShowCmd"), 0)) {
        case 1:
        case 5:
        case 9:
            value = Qt::WindowNoState;
            break;
        case 2:
        case 6:
        case 7:
            value = Qt::WindowMinimized;
            break;
        case 3:
            value = Qt::WindowMaximized;
            break;
        default:
            break;
        }
        if (value == Qt::WindowMinimized && mainForm) {
            // Shown normal first, then minimised once the show is done.
            form->SetState(Qt::WindowNoState);
            QTimer::singleShot(0, frame, [frame] { frame->showMinimized(); });
            return;
        }
        form->SetState(value);
        if (value == Qt::WindowMinimized && minPos.x() >= 0 && minPos.y() >= 0 &&
            ShowablePlace(frame, minPos, frame->size()))
            frame->move(minPos);
        frame->update();
    }
}

// TIniLink

TIniLink::~TIniLink()
{
    SetPlacement(nullptr);
}

void TIniLink::SetPlacement(TFormPlacement *placement)
{
    if (placement == placement_)
        return;
    if (placement_)
        placement_->links_.removeAll(this);
    placement_ = placement;
    if (placement_)
        placement_->links_.append(this);
}

IniObject *TIniLink::IniObj() const
{
    return placement_ ? placement_->IniObj() : nullptr;
}

QString TIniLink::RootSection() const
{
    if (!placement_)
        return QString();
    const QString section = placement_->IniSection();
    return section.isEmpty() ? section : section + QLatin1Char('\\');
}

// TFormPlacement

TFormPlacement::TFormPlacement(QObject *owner) : QObject(owner), form_(platform::Form::FromWidget(owner))
{
    Options = form_ ? (fpState | fpPosition) : 0u;
    if (form_)
        destroyListener_ = form_->AddDestroyListener([this](platform::Form *) {
            // Runs after the wrapped OnDestroy; from now on the form's events are not ours to touch.
            form_ = nullptr;
        });
}

TFormPlacement::~TFormPlacement()
{
    unwrapForm();
    const auto links = links_;
    for (TIniLink *l : links)
        l->SetPlacement(nullptr);
    if (form_)
        form_->RemoveDestroyListener(destroyListener_);
}

void TFormPlacement::unwrapForm()
{
    if (!wrapped_ || !form_)
        return;
    form_->OnShow = formShow_;
    form_->OnCloseQuery = formCloseQuery_;
    form_->OnDestroy = formDestroy_;
    wrapped_ = false;
}

QString TFormPlacement::IniFileName() const
{
    if (!iniFileName_.isEmpty())
        return iniFileName_;
    return UseRegistry ? DefaultRegistryKey() : DefaultIniFileName();
}

QString TFormPlacement::IniSection() const
{
    return iniSection_.isEmpty() ? DefaultSection(parent()) : iniSection_;
}

std::unique_ptr<IniObject> TFormPlacement::openIni() const
{
    if (UseRegistry)
        return std::make_unique<RegIniObject>(IniFileName());
    return std::make_unique<IniFileObject>(IniFileName());
}

void TFormPlacement::Loaded()
{
    if (!form_ || wrapped_)
        return;
    wrapped_ = true;
    formShow_ = form_->OnShow;
    formCloseQuery_ = form_->OnCloseQuery;
    formDestroy_ = form_->OnDestroy;
    form_->OnShow = [this](QObject *sender) {
        if (Active)
            RestorePlacement();
        if (formShow_)
            formShow_(sender);
    };
    form_->OnCloseQuery = [this](QObject *sender, bool &canClose) {
        if (formCloseQuery_)
            formCloseQuery_(sender, canClose);
        if (canClose && Active && form_)
            SavePlacement();
    };
    form_->OnDestroy = [this](QObject *sender) {
        if (Active && !saved_) {
            destroying_ = true;
            SavePlacement();
            destroying_ = false;
        }
        if (formDestroy_)
            formDestroy_(sender);
    };
    if (PreventResize() || !minMax_.DefaultMinMaxInfo())
        applyLimits();
}

void TFormPlacement::SavePlacement()
{
    if (Active && !restored_)
        return; // never shown: the stored record stays as it is
    ini_ = openIni();
    try {
        IniUpdate batch(ini_.get());
        savePlacement();
        if (OnSavePlacement)
            OnSavePlacement(this);
        const auto links = links_;
        for (TIniLink *l : links)
            if (links_.contains(l) && l->OnSave)
                l->OnSave();
        batch.Commit(); // one atomic write: a failure leaves the old record whole
    } catch (...) {
        ini_.reset();
        throw;
    }
    saved_ = true;
    ini_.reset();
}

void TFormPlacement::savePlacement()
{
    if (!form_)
        return;
    const QString section = IniSection();
    WritePlacementRecord(form_, ini_.get(), section);
    if ((Options & fpActiveControl) && form_->Widget()->focusWidget() &&
        !form_->Widget()->focusWidget()->objectName().isEmpty())
        ini_->WriteString(section, QStringLiteral("ActiveControl"), form_->Widget()->focusWidget()->objectName());
    ini_->WriteInteger(section, QStringLiteral("Visible"), destroying_ ? 1 : 0);
}

void TFormPlacement::RestorePlacement()
{
    // Restoring a state can show the form again, whose show would restore within the restore.
    if (restoring_)
        return;
    restoring_ = true;
    const auto done = qScopeGuard([this] { restoring_ = false; });
    saved_ = false;
    ini_ = openIni();
    try {
        restorePlacement();
        restored_ = true;
        if (OnRestorePlacement)
            OnRestorePlacement(this);
        if ((Options & fpActiveControl) && form_) {
            const QString name = ini_->ReadString(IniSection(), QStringLiteral("ActiveControl"), QString());
            QWidget *w = name.isEmpty() ? nullptr : form_->Widget()->findChild<QWidget *>(name);
            if (w && w->focusPolicy() != Qt::NoFocus && w->isEnabled())
                w->setFocus();
        }
        const auto links = links_;
        for (TIniLink *l : links)
            if (links_.contains(l) && l->OnLoad)
                l->OnLoad();
    } catch (...) {
        ini_.reset();
        throw;
    }
    ini_.reset();
    applyLimits();
}

void TFormPlacement::restorePlacement()
{
    if (form_)
        ReadPlacementRecord(form_, ini_.get(), IniSection(), Options & fpPosition, Options & fpState);
}

QString TFormPlacement::ReadString(const QString &ident, const QString &def)
{
    if (ini_)
        return ini_->ReadString(IniSection(), ident, def);
    return openIni()->ReadString(IniSection(), ident, def);
}

void TFormPlacement::WriteString(const QString &ident, const QString &value)
{
    if (ini_)
        ini_->WriteString(IniSection(), ident, value);
    else
        openIni()->WriteString(IniSection(), ident, value);
}

int TFormPlacement::ReadInteger(const QString &ident, int def)
{
    return StrToIntDef(ReadString(ident, QString()), def);
}

void TFormPlacement::WriteInteger(const QString &ident, int value)
{
    WriteString(ident, QString::number(value));
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo &info)
{
    minMax_ = info;
    applyLimits();
    placeMaximized();
}

void TFormPlacement::SetPreventResize(bool on)
{
    if (on == preventResize_)
        return;
    preventResize_ = on;
    if (form_) {
        QWidget *w = form_->Frame();
        const bool visible = w->isVisible();
        if (on) {
            hadMaximize_ = w->windowFlags() & Qt::WindowMaximizeButtonHint;
            if (hadMaximize_)
                w->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        } else if (hadMaximize_ && (w->windowFlags() & Qt::WindowType_Mask) != Qt::Dialog) {
            w->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
        }
        if (visible && !w->isVisible())
            w->show(); // changing the flags hid it
    }
    applyLimits();
}

// The size limits follow the form through its hook: set after it has been shown, so that a restore sizes it
// first.
void TFormPlacement::applyLimits()
{
    if (!form_)
        return;
    const bool wanted = preventResize_ || !minMax_.DefaultMinMaxInfo();
    if (wanted && !hook_) {
        hook_ = new TQvWindowHook(this);
        hook_->AfterMessage = [this](QObject *, TMessage &msg, bool &) {
            if (msg.Msg == QEvent::Show)
                applyLimits();
            else if (msg.Msg == QEvent::WindowStateChange)
                placeMaximized();
        };
        hook_->SetWinControl(form_->Frame());
    }
    if (hook_)
        hook_->SetActive(wanted);
    QWidget *w = form_->Frame();
    if (!limitsApplied_) {
        savedMin_ = w->minimumSize();
        savedMax_ = w->maximumSize();
    }
    if (!wanted) {
        if (limitsApplied_) {
            w->setMinimumSize(savedMin_);
            w->setMaximumSize(savedMax_);
            limitsApplied_ = false;
        }
        return;
    }
    limitsApplied_ = true;
    QSize min = savedMin_, max = savedMax_;
    if (preventResize_) {
        if (!w->isVisible())
            return;
        min = max = w->size();
    } else {
        if (minMax_.MinTrackWidth)
            min.setWidth(minMax_.MinTrackWidth);
        if (minMax_.MinTrackHeight)
            min.setHeight(minMax_.MinTrackHeight);
        if (minMax_.MaxTrackWidth)
            max.setWidth(minMax_.MaxTrackWidth);
        if (minMax_.MaxTrackHeight)
            max.setHeight(minMax_.MaxTrackHeight);
    }
    w->setMinimumSize(min);
    w->setMaximumSize(max);
}

// A maximised form takes the maximised place and size that are set; what is 0 stays as the window
// system made it. It waits until the window system has done its maximising, which would undo ours.
void TFormPlacement::placeMaximized()
{
    if (!form_ || preventResize_ || form_->State() != Qt::WindowMaximized)
        return;
    const TWinMinMaxInfo &m = minMax_;
    if (!m.MaxPosLeft && !m.MaxPosTop && !m.MaxSizeWidth && !m.MaxSizeHeight)
        return;
    QTimer::singleShot(0, form_->Frame(), [this] {
        if (!form_ || form_->State() != Qt::WindowMaximized)
            return;
        const TWinMinMaxInfo &m = minMax_;
        QRect r = form_->Bounds();
        r.moveTo(m.MaxPosLeft ? m.MaxPosLeft : r.left(), m.MaxPosTop ? m.MaxPosTop : r.top());
        r.setSize(QSize(m.MaxSizeWidth ? m.MaxSizeWidth : r.width(), m.MaxSizeHeight ? m.MaxSizeHeight : r.height()));
        if (r != form_->Bounds())
            form_->SetBounds(r);
    });
}

// Property text

namespace {

enum class Kind { None, Integer, Float, Char, String, Bool, Enum, Set, StringList, Reference, Variant };

Kind kindOf(const QMetaProperty &mp)
{
    if (mp.isEnumType())
        return mp.isFlagType() ? Kind::Set : Kind::Enum;
    switch (mp.metaType().id()) {
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Kind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Float;
    case QMetaType::QChar:
        return Kind::Char;
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::QStringList:
        return Kind::StringList;
    default:
        break;
    }
    if (mp.metaType().flags() & QMetaType::PointerToQObject)
        return Kind::Reference;
    return QMetaType::canConvert(mp.metaType(), QMetaType::fromType<QString>()) ? Kind::Variant : Kind::None;
}

QMetaProperty findProperty(const QObject *object, const QString &name)
{
    const QMetaObject *mo = object->metaObject();
    return mo->property(mo->indexOfProperty(name.toLatin1().constData()));
}

// A sub-object the component owns and does not name: its properties are kept under the property's key.
QObject *nestedObject(QObject *object, const QMetaProperty &mp)
{
    if (kindOf(mp) != Kind::Reference)
        return nullptr;
    QObject *value = mp.read(object).value<QObject *>();
    return value && value->parent() == object && value->objectName().isEmpty() ? value : nullptr;
}

QString referenceText(QObject *holder, QObject *ref)
{
    if (!ref)
        return QStringLiteral("(null)");
    const platform::Form *mine = platform::Form::ParentForm(holder);
    const platform::Form *theirs = platform::Form::ParentForm(ref->parent());
    if (!theirs || theirs == mine)
        return ref->objectName();
    return QStringLiteral("%1.%2").arg(formReferenceName(theirs), ref->objectName());
}

QObject *resolveReference(QObject *holder, const QString &text)
{
    if (text == QLatin1String("(null)"))
        return nullptr;
    const int dot = text.indexOf(QLatin1Char('.'));
    const platform::Form *form = platform::Form::ParentForm(holder);
    if (dot >= 0) {
        const QString owner = text.left(dot);
        form = nullptr;
        for (platform::Form *f : platform::Form::Forms())
            if (formReferenceName(f).compare(owner, Qt::CaseInsensitive) == 0)
                form = f;
    }
    if (!form)
        return nullptr;
    return form->Widget()->findChild<QObject *>(dot >= 0 ? text.mid(dot + 1) : text);
}

int enumValue(const QMetaEnum &e, const QString &word, bool *ok)
{
    for (int i = 0; i < e.keyCount(); ++i) {
        if (QString::fromLatin1(e.key(i)).compare(word, Qt::CaseInsensitive) == 0) {
            *ok = true;
            return e.value(i);
        }
    }
    *ok = false;
    return 0;
}

} // namespace

bool PropertyToText(QObject *object, const QString &property, QString *text)
{
    const QMetaProperty mp = findProperty(object, property);
    if (!mp.isValid() || !mp.isReadable())
        return false;
    const QVariant v = mp.read(object);
    switch (kindOf(mp)) {
    case Kind::Integer:
        *text = QString::number(v.toLongLong());
        return true;
    case Kind::Float:
        *text = QString::number(v.toDouble(), 'g', 15); // always with "."
        return true;
    case Kind::Char:
    case Kind::String:
    case Kind::Variant:
        *text = v.toString();
        return true;
    case Kind::Bool:
        *text = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    case Kind::Enum: {
        const char *key = mp.enumerator().valueToKey(v.toInt());
        *text = key ? QString::fromLatin1(key) : QString::number(v.toInt());
        return true;
    }
    case Kind::Set: {
        const QMetaEnum e = mp.enumerator();
        const int value = v.toInt();
        QStringList members;
        for (int i = 0; i < e.keyCount(); ++i)
            if (e.value(i) && qPopulationCount(quint32(e.value(i))) == 1 && (value & e.value(i)) == e.value(i))
                members << QString::fromLatin1(e.key(i));
        *text = QLatin1Char('[') + members.join(QLatin1Char(',')) + QLatin1Char(']');
        return true;
    }
    case Kind::Reference:
        *text = referenceText(object, v.value<QObject *>());
        return true;
    case Kind::StringList:
    case Kind::None:
        break;
    }
    return false;
}

bool PropertyFromText(QObject *object, const QString &property, const QString &text)
{
    const QMetaProperty mp = findProperty(object, property);
    if (!mp.isValid() || !mp.isWritable())
        return false;
    QVariant value;
    switch (kindOf(mp)) {
    case Kind::Integer:
        value = StrToIntDef(text, 0); // not a number: 0
        break;
    case Kind::Float: {
        bool ok = false;
        const double d = text.toDouble(&ok); // "." whatever the locale
        if (!ok)
            return false;
        value = d;
        break;
    }
    case Kind::Char:
        if (text.isEmpty())
            return false;
        value = QVariant::fromValue(text.at(0));
        break;
    case Kind::String:
        value = text;
        break;
    case Kind::Bool:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            value = true;
        else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            value = false;
        else
            return false;
        break;
    case Kind::Enum: {
        bool ok = false;
        const int v = enumValue(mp.enumerator(), text, &ok);
        if (!ok)
            return false;
        value = v;
        break;
    }
    case Kind::Set: {
        int v = 0;
        for (const QString &word : text.split(QRegularExpression(QStringLiteral("[ ,\\[\\]]+")), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int member = enumValue(mp.enumerator(), word, &ok);
            if (ok && member && quint32(member) < (1u << 31))
                v |= member;
        }
        value = v;
        break;
    }
    case Kind::Reference: {
        QObject *ref = resolveReference(object, text);
        if (!ref && text != QLatin1String("(null)"))
            return false;
        value = QVariant::fromValue(ref);
        break;
    }
    case Kind::Variant:
        value = text;
        if (!value.convert(mp.metaType()))
            return false;
        break;
    case Kind::StringList:
    case Kind::None:
        return false;
    }
    return mp.write(object, value);
}

// TFormStorage

namespace {

// Writes (save) or reads one stored property; lists get a section of their own, sub-objects their
// properties under the property's key.
void transferProperty(IniObject *ini, const QString &section, QObject *object, const QString &prefix,
                      const QString &property, bool save)
{
    const QMetaProperty mp = findProperty(object, property);
    if (!mp.isValid())
        return;
    const QString key = prefix + property;
    const Kind kind = kindOf(mp);
    if (kind == Kind::StringList) {
        const QString listSection = QStringLiteral("%1.%2").arg(section, key);
        if (save) {
            ini->EraseSection(listSection);
            const QStringList list = mp.read(object).toStringList();
            if (!list.isEmpty())
                ini->WriteInteger(listSection, QStringLiteral("Count"), int(list.size()));
            for (int i = 0; i < list.size(); ++i)
                ini->WriteString(listSection, QStringLiteral("Item%1").arg(i), list[i]);
            return;
        }
        const int count = ini->ReadInteger(listSection, QStringLiteral("Count"), 0);
        if (count <= 0)
            return;
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << ini->ReadString(listSection, QStringLiteral("Item%1").arg(i), QString());
        mp.write(object, list);
        return;
    }
    if (QObject *nested = nestedObject(object, mp)) {
        const QMetaObject *mo = nested->metaObject();
        for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
            transferProperty(ini, section, nested, key + QLatin1Char('.'), QString::fromLatin1(mo->property(i).name()),
                             save);
        return;
    }
    QString text;
    const bool known = PropertyToText(object, property, &text);
    if (!save) {
        PropertyFromText(object, property, ini->ReadString(section, key, text).trimmed());
        return;
    }
    // Empty values are written for strings only.
    if (known && (!text.isEmpty() || kind == Kind::String || kind == Kind::Char))
        ini->WriteString(section, key, text);
}

} // namespace

TFormStorage::TFormStorage(QObject *owner) : TFormPlacement(owner) {}

TFormStorage::~TFormStorage()
{
    destroying_ = true;
}

QStringList TFormStorage::StoredProps() const
{
    QStringList out;
    for (const Entry &e : entries_)
        out << (bound_ ? e.component->objectName() : e.componentName) + QLatin1Char('.') + e.property;
    return out;
}

void TFormStorage::SetStoredProps(const QStringList &props)
{
    entries_.clear();
    for (const QString &p : props) {
        const int dot = p.indexOf(QLatin1Char('.'));
        const QString component = p.left(dot).trimmed();
        const QString property = dot < 0 ? QString() : p.mid(dot + 1).trimmed();
        if (dot < 0 || component.isEmpty() || property.isEmpty())
            continue;
        entries_.append(Entry{nullptr, component, property});
    }
    if (bound_)
        bind();
}

void TFormStorage::Loaded()
{
    TFormPlacement::Loaded();
    bound_ = true;
    bind();
}

void TFormStorage::bind()
{
    const QObject *form = OwnerForm() ? OwnerForm()->Widget() : parent();
    for (int i = entries_.size() - 1; i >= 0; --i) {
        Entry &e = entries_[i];
        if (!e.component && form)
            e.component = form->findChild<QObject *>(e.componentName);
        if (!e.component) {
            entries_.removeAt(i);
            continue;
        }
        watch(e.component);
    }
}

void TFormStorage::watch(QObject *component)
{
    if (watched_.contains(component))
        return;
    watched_.append(component);
    connect(component, &QObject::destroyed, this, [this](QObject *gone) {
        watched_.removeAll(gone);
        if (destroying_)
            return;
        for (int i = entries_.size() - 1; i >= 0; --i)
            if (!entries_[i].component || entries_[i].component == gone)
                entries_.removeAt(i);
    });
}

void TFormStorage::SaveProperties(IniObject *ini, const QString &section)
{
    for (const Entry &e : entries_)
        if (e.component)
            transferProperty(ini, section, e.component, e.component->objectName() + QLatin1Char('_'), e.property, true);
}

void TFormStorage::RestoreProperties(IniObject *ini, const QString &section)
{
    for (const Entry &e : entries_)
        if (e.component)
            transferProperty(ini, section, e.component, e.component->objectName() + QLatin1Char('_'), e.property, false);
}

void TFormStorage::savePlacement()
{
    TFormPlacement::savePlacement();
    SaveProperties(IniObj(), IniSection());
}

void TFormStorage::restorePlacement()
{
    TFormPlacement::restorePlacement();
    RestoreProperties(IniObj(), IniSection());
}

} // namespace qv
