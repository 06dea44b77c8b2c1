#pragma once
// Small types shared by the set's edits and hints.
#include <Qt>

namespace qv {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

inline Qt::Alignment HorizontalAlignment(TAlignment a)
{
    return a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
}

} // namespace qv
