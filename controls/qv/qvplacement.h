#pragma once
// Form placement: a form remembers where and how it was shown in an ini file (or the registry), written
// when it closes and read when it is shown; the form storage adds a list of component properties kept the
// same way; ini links let other components (the speed bar, grids) save and load with it.
#include "controls/qv/qvinifiles.h"
#include "platform/form.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <functional>
#include <memory>

namespace qv {

class TQvWindowHook;
class TFormPlacement;

enum TPlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = unsigned;

// Size limits of the form; 0 leaves the system's value. A maximised form is moved to MaxPosLeft and
// MaxPosTop and sized MaxSizeWidth by MaxSizeHeight (within the tracking limits) once the window system
// has maximised it; whether it then still counts as maximised is the window system's choice.
struct TWinMinMaxInfo {
    int MaxPosLeft = 0;
    int MaxPosTop = 0;
    int MaxSizeHeight = 0;
    int MaxSizeWidth = 0;
    int MaxTrackHeight = 0;
    int MaxTrackWidth = 0;
    int MinTrackHeight = 0;
    int MinTrackWidth = 0;
    bool DefaultMinMaxInfo() const;
    bool operator==(const TWinMinMaxInfo &) const = default;
};

// Attaches another component to a placement: told after every save and restore, with the placement's ini
// object open.
class TIniLink {
public:
    TIniLink() = default;
    ~TIniLink();
    TIniLink(const TIniLink &) = delete;
    TIniLink &operator=(const TIniLink &) = delete;

    TFormPlacement *Placement() const { return placement_; }
    void SetPlacement(TFormPlacement *placement);
    // The placement's open ini object; null without a placement or outside a save or restore.
    IniObject *IniObj() const;
    // The placement's section followed by "\" (empty when the section is empty).
    QString RootSection() const;

    std::function<void()> OnSave;
    std::function<void()> OnLoad;

private:
    friend class TFormPlacement;
    TFormPlacement *placement_ = nullptr;
};

class TFormPlacement : public QObject, public platform::Loadable {
    Q_OBJECT
public:
    explicit TFormPlacement(QObject *owner = nullptr);
    ~TFormPlacement() override;

    bool Active = true;
    bool UseRegistry = false;
    TPlacementOptions Options;
    platform::TNotifyEvent OnSavePlacement;
    platform::TNotifyEvent OnRestorePlacement;

    // The stored name, else the default ini file name (or registry key with UseRegistry).
    QString IniFileName() const;
    void SetIniFileName(const QString &name) { iniFileName_ = name; }
    // The stored section, else the owner's default section.
    QString IniSection() const;
    void SetIniSection(const QString &section) { iniSection_ = section; }
    const TWinMinMaxInfo &MinMaxInfo() const { return minMax_; }
    void SetMinMaxInfo(const TWinMinMaxInfo &info);
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool on);

    void SavePlacement();
    void RestorePlacement();
    // In IniSection, through the open ini object or one opened for the call.
    QString ReadString(const QString &ident, const QString &def);
    void WriteString(const QString &ident, const QString &value);
    int ReadInteger(const QString &ident, int def);
    void WriteInteger(const QString &ident, int value);

    // The ini object while a save or restore runs, else null.
    IniObject *IniObj() const { return ini_.get(); }
    platform::Form *OwnerForm() const { return form_; }
    bool Saved() const { return saved_; }
    bool Restored() const { return restored_; }

    // Wraps the form's OnShow, OnCloseQuery and OnDestroy (the placement runs with them).
    void Loaded() override;

protected:
    virtual void savePlacement();
    virtual void restorePlacement();

private:
    friend class TIniLink;
    std::unique_ptr<IniObject> openIni() const;
    void applyLimits();
    void placeMaximized();
    void hookEvent(bool after);
    void unwrapForm();

    QString iniFileName_;
    QString iniSection_;
    TWinMinMaxInfo minMax_;
    bool preventResize_ = false;
    bool hadMaximize_ = false;
    QSize savedMin_, savedMax_;
    bool limitsApplied_ = false;
    std::unique_ptr<IniObject> ini_;
    QList<TIniLink *> links_;
    TQvWindowHook *hook_ = nullptr;
    platform::Form *form_ = nullptr;
    int destroyListener_ = 0;
    bool wrapped_ = false;
    platform::TNotifyEvent formShow_;
    platform::TCloseQueryEvent formCloseQuery_;
    platform::TNotifyEvent formDestroy_;
    bool saved_ = false;
    bool restored_ = false;
    bool restoring_ = false;
    bool destroying_ = false;
};

// Adds stored properties: entries "Component.Property" of the form's components.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    explicit TFormStorage(QObject *owner = nullptr);
    ~TFormStorage() override;

    // Entries as they stand, rebuilt from the components' current names once bound.
    QStringList StoredProps() const;
    void SetStoredProps(const QStringList &props);
    void Loaded() override;

    void SaveProperties(IniObject *ini, const QString &section);
    void RestoreProperties(IniObject *ini, const QString &section);

protected:
    void savePlacement() override;
    void restorePlacement() override;

private:
    struct Entry {
        QPointer<QObject> component;
        QString componentName; // before binding
        QString property;
    };
    void bind();
    void watch(QObject *component);

    QList<Entry> entries_;
    QList<QObject *> watched_;
    bool bound_ = false;
    bool destroying_ = false;
};

// Whether a stored size or place can be shown, for the form saver and the placement alike: a size must
// be one the window system can make (a window 0 or fewer pixels wide is never mapped), and a place must
// leave enough of the window's title bar on a screen (a document window: in its area) for the user to
// take hold of it; a title bar above the screen's top is out of reach. A value that fails is not used;
// the window keeps its designed one.
bool ShowableSize(const QSize &size);
bool ShowablePlace(const QWidget *window, QPoint place, QSize size);

// The window-placement record of a form in a section: written whole, read with the position and state
// switches.
void WritePlacementRecord(platform::Form *form, IniObject *ini, const QString &section);
void ReadPlacementRecord(platform::Form *form, IniObject *ini, const QString &section, bool position, bool state);

// The stored text of a property, and a property set from stored text (false when it cannot be).
bool PropertyToText(QObject *object, const QString &property, QString *text);
bool PropertyFromText(QObject *object, const QString &property, const QString &text);

} // namespace qv
