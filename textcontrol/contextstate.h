#pragma once
// Highlighting state in force at a position: the stack of open contexts (start/stop pairs and keywords)
// with the colours of the top one. States are interned per memo so the text keeps only small ids.
#include <QtGlobal>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace textcontrol {

using StateId = quint32;

// Style byte bits (text style codes and key styles share them).
enum : quint8 {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
    fsHighlight = 16,
    fsAltFont = 32,
    fsStyleMask = 63,
    csInContext = 64,
    csStyled = 128,
};

constexpr int kMaxContextDepth = 16;

struct TContextState {
    quint8 style = 0;     // bit 7 styled, bit 6 inside a context, bits 0-5 style bits
    qint8 depth = -1;     // index of the top stack entry; -1 = none
    quint16 reserved = 0;
    quint32 background = 0;
    quint32 color = 0;
    qint16 context = 0;
    qint16 value2 = 0;
    qint16 stack[kMaxContextDepth] = {};
    quint8 startLen = 0;
    quint8 stopLen = 0;
    quint16 reserved2 = 0;

    bool IsContext() const { return (style & (csStyled | csInContext)) == (csStyled | csInContext) && depth >= 0; }
    qint16 Top() const { return IsContext() ? stack[int(depth)] : qint16(0); }
    // Top entry is a start/stop pair (entries of pairs are 32768 + index, negative as signed).
    bool InStartStop() const { return IsContext() && stack[int(depth)] < 0; }
    int PairIndex() const { return stack[int(depth)] & 0x7FFF; }
    bool InKeyword() const { return IsContext() && stack[int(depth)] >= 0; }
    bool operator==(const TContextState &o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};
static_assert(sizeof(TContextState) == 52);

// Equality used for convergence: same stack up to the same depth, or neither in a context.
inline bool SameContext(const TContextState &a, const TContextState &b)
{
    const bool ca = a.IsContext(), cb = b.IsContext();
    if (!ca || !cb)
        return ca == cb;
    if (a.depth != b.depth)
        return false;
    for (int i = 0; i <= a.depth; ++i)
        if (a.stack[i] != b.stack[i])
            return false;
    return true;
}

class StateTable {
public:
    StateTable() { Clear(); }
    void Clear()
    {
        states_.assign(1, TContextState());
        index_.clear();
        index_.emplace(states_[0], 0);
    }
    StateId Intern(const TContextState &s)
    {
        auto it = index_.find(s);
        if (it != index_.end())
            return it->second;
        const auto id = StateId(states_.size());
        states_.push_back(s);
        index_.emplace(s, id);
        return id;
    }
    const TContextState &Get(StateId id) const { return states_[id < states_.size() ? id : 0]; }
    int Count() const { return int(states_.size()); }

private:
    struct Hash {
        size_t operator()(const TContextState &s) const
        {
            const auto *p = reinterpret_cast<const unsigned char *>(&s);
            size_t h = 1469598103934665603ull;
            for (size_t i = 0; i < sizeof(s); ++i)
                h = (h ^ p[i]) * 1099511628211ull;
            return h;
        }
    };
    std::vector<TContextState> states_;
    std::unordered_map<TContextState, StateId, Hash> index_;
};

} // namespace textcontrol
