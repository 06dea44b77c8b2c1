#pragma once
// Makes an HTML file smaller by a fixed series of text passes over its raw bytes. The page a browser
// shows stays the same: the same elements (but for b, i and s in place of strong, em and strike, which
// look alike), attribute values and visible text; only white space that a browser does not show and
// quotes that a value does not need go. Centring paragraphs with center elements, which a caller may
// turn on, is the one pass that changes how a page looks.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace publish {

class THTMLCompressor : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool SimpleTags MEMBER SimpleTags)
    Q_PROPERTY(bool Center MEMBER Center)
    Q_PROPERTY(bool InvCommas MEMBER InvCommas)
    Q_PROPERTY(bool Spaces MEMBER Spaces)
    Q_PROPERTY(bool Returns MEMBER Returns)
    Q_PROPERTY(bool AllReturns MEMBER AllReturns)
    Q_PROPERTY(bool Webbots MEMBER Webbots)

public:
    explicit THTMLCompressor(QObject *owner = nullptr);

    bool SimpleTags = true; // bare strong, em and strike tags renamed b, i and s
    // Centred paragraphs to center elements. Off: a center element lacks a paragraph's margins, so what
    // follows moves up by them, and a paragraph with no "</p>" centres everything after it.
    bool Center = false;
    bool InvCommas = true;  // quotes inside tags removed
    bool Spaces = true;     // runs of blanks collapsed
    bool Returns = true;    // doubled line breaks collapsed
    bool AllReturns = true; // line breaks removed (includes Returns)
    bool Webbots = true;    // "<!--webbot" tags removed by the line-break passes

    // Reads the whole file; false on any file error (the old text is then kept), with the reason in *why.
    bool Load(const QString &fileName, QString *why = nullptr);
    // Takes the text directly, as Load does after reading the file.
    void LoadFromBytes(const QByteArray &bytes);
    // Runs the passes once; nothing happens for an empty or already compressed text.
    virtual void Compress();
    // Writes the text to a new file; false with no text or on a file error, with the reason in *why.
    bool Save(const QString &fileName, QString *why = nullptr) const;

    const QByteArray &Buffer() const { return buffer_; }
    quint32 LoadedSize() const { return loadedSize_; }
    quint32 CompressedSize() const { return compressedSize_; }
    bool IsCompressed() const { return compressed_; }

private:
    QByteArray buffer_;
    quint32 loadedSize_ = 0;
    quint32 compressedSize_ = 0;
    bool compressed_ = false;
};

} // namespace publish
