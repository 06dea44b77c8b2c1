#pragma once
// The two highlighting lists of the memo: single keywords and start/stop key pairs, each entry with a
// style record, and their stored forms.
#include "textcontrol/casefold.h"
#include "textcontrol/tcolor.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace platform {
class FormWriter;
class FormReader;
} // namespace platform

namespace textcontrol {

struct TKeyStyle {
    quint8 flags = 0;   // bit 0 case-sensitive, bit 1 whole words (pairs)
    quint8 style = 0;   // style bits
    qint16 context = 0; // reported by OnContext; 0 = none
    qint16 value2 = 0;  // carried in the state, not interpreted
    TColor background = 0; // 0 = keep the underlying background
    TColor color = 0;      // 0 = keep the font colour
    bool operator==(const TKeyStyle &) const = default;
};

enum : quint8 { kfCaseSensitive = 1, kfWholeWords = 2 };

constexpr int kMaxKeyLength = 255;
constexpr int kMaxKeyEntries = 32767; // state stacks hold 15-bit indexes

// A string list whose every string is a keyword and whose every object is the keyword's style record.
class TKeywordList {
public:
    int Count() const { return int(words_.size()); }
    const QString &Strings(int i) const;
    // A new keyword in place of entry i; its style record stays.
    void SetStrings(int i, const QString &word);
    // The style record of entry i (the list's object of that string).
    const TKeyStyle *Objects(int i) const;
    void SetObjects(int i, const TKeyStyle &style);
    int Add(const QString &word, const TKeyStyle &style = {}); // the new entry's index
    void Insert(int i, const QString &word, const TKeyStyle &style = {}); // 0 <= i <= Count
    // The first entry equal to word, regardless of case; -1 when none.
    int IndexOf(const QString &word) const;
    void Exchange(int a, int b);
    void Move(int from, int to);
    void Delete(int i);
    void Clear();
    // The keywords, each followed by a line break.
    QString Text() const;
    void BeginUpdate() { ++updating_; }
    void EndUpdate();
    // Copies another keyword list; anything else is ignored.
    void Assign(const TKeywordList &source);
    void Assign(const QStringList &) {}
    void GetKeyStyle(int i, TKeyStyle &style) const;
    const TKeyStyle &Style(int i) const { return words_.at(size_t(i)).style; }
    // Lookup tables: case-folded copies (what text is matched against) and the longest keyword.
    const QString &Folded(int i) const { return words_.at(size_t(i)).folded; }
    const FirstChar &First(int i) const { return words_.at(size_t(i)).first; }
    int Longest() const { return longest_; }
    bool operator==(const TKeywordList &o) const;

    void WriteData(platform::FormWriter &w) const; // "Strings"
    void ReadData(platform::FormReader &r);

    std::function<void()> OnChange;

private:
    void Changed();
    struct Entry {
        QString word, folded;
        FirstChar first; // of what is matched
        TKeyStyle style;
    };
    static Entry MakeEntry(const QString &word, const TKeyStyle &style);
    std::vector<Entry> words_;
    int longest_ = 0;
    int updating_ = 0;
};

struct TStartStopKey {
    TKeyStyle style;
    QString start, stop; // upper-cased unless case-sensitive
    QString matchStart, matchStop; // what the text is matched against: case-folded unless case-sensitive
    FirstChar stopFirst;
    bool endsAtParEnd = false;
    qint16 link = -1;
    // Derived separator requirements (whole-word pairs only).
    bool startFollowSep = false, startPrecSep = false, stopFollowSep = false, stopPrecSep = false;
};

class TStartStopKeyList {
public:
    int Count() const { return int(keys_.size()); }
    const TStartStopKey &operator[](int i) const { return keys_.at(size_t(i)); }
    void Add(const QString &start, const QString &stop, bool endsAtParEnd, TColor color, TColor background,
             qint16 value2, qint16 context, quint8 style, quint8 flags);
    void Clear();
    int LongestStart() const { return longestStart_; }
    int LongestStop() const { return longestStop_; }
    bool TablesValid() const { return tablesValid_; }
    void InvalidateTables() { tablesValid_ = false; }
    // Computes the separator requirements of whole-word pairs.
    void BuildTables(const std::function<bool(QChar)> &isSeparator);
    bool operator==(const TStartStopKeyList &o) const;

    void WriteData(platform::FormWriter &w) const; // "Keys"; nothing is stored for an empty list
    void ReadData(platform::FormReader &r);

    std::function<void()> OnChange;

private:
    std::vector<TStartStopKey> keys_;
    int longestStart_ = 0, longestStop_ = 0;
    bool tablesValid_ = false;
};

// Upper-cases the way the keys are matched.
QString KeyUpper(const QString &s);

} // namespace textcontrol
