#pragma once
// The two peers the benchmark compares with, behind one small interface.
#include <QByteArray>
#include <QString>
#include <memory>

class QWidget;

namespace benchtext {

class Peer {
public:
    virtual ~Peer() = default;
    virtual QString Name() const = 0;
    virtual void Load(const QByteArray &bytes) = 0; // UTF-8, or Windows-1252 when windows1252 is set
    bool windows1252 = false;
    virtual void HighlightAll() = 0;     // colours (and, where the peer can, line layout) of everything
    virtual void StartHighlighting() {}  // colouring as the peer does it when shown (QPlainTextEdit: a highlighter)
    virtual void Insert(bool atEnd) = 0; // one character, coloured again
    virtual bool Find(const QString &absent) = 0;
    virtual QByteArray Save() = 0;
    virtual QWidget *Widget() = 0;
    virtual void MoveToEnd() = 0;
    virtual void MoveToStart() = 0;
    virtual void TypeChar(QChar c) = 0; // through the widget's key handling
    virtual void PageDown() = 0;
    virtual bool AtEnd() = 0;
};

std::unique_ptr<Peer> MakePlainPeer();
std::unique_ptr<Peer> MakeScintillaPeer(); // nullptr when not built with it

} // namespace benchtext
