#pragma once
// The about box, with the machine's memory figures, and the document information window.
#include "platform/form.h"

#include <QDialog>
#include <QLocale>

class QLabel;
class QPushButton;
class QTimer;

namespace dialogs {

struct TMemoryFigures {
    QString physical; // the machine's memory in KB, grouped: "16,318,480 KB"
    QString inUse;    // the share in use: "37 %"
};

// The figures of a memory report in the form of /proc/meminfo; "?" for what it does not tell.
TMemoryFigures MemoryFigures(const QByteArray &meminfo, const QLocale &locale = QLocale());
// The figures of this machine now.
TMemoryFigures CurrentMemoryFigures();

// "About Kestrova...": name, version, memory and contact; a click anywhere or ten seconds close it.
class TAboutBox : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr, const TMemoryFigures &figures = CurrentMemoryFigures());
    QLabel *ProductName = nullptr, *Comments = nullptr;
    QLabel *PhysMem = nullptr, *MemUsed = nullptr; // the values
    QLabel *Homepage = nullptr, *Email = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// "Document Info": the caret's figures of a document; made hidden at start and kept to the end.
class TInfo : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TInfo(QWidget *parent = nullptr);
    ~TInfo() override;
    QLabel *Parag = nullptr, *Place = nullptr, *Col = nullptr, *Offset = nullptr, *Character = nullptr,
           *Lines = nullptr; // the values
    QPushButton *Close = nullptr;
};

extern TInfo *Info;

} // namespace dialogs
