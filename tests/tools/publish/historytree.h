#pragma once
// Reading the history window's tree as a user sees it: the nodes of a level, their texts and hints.
#include "controls/tree/zozezo.h"
#include "tools/publish/ie2url.h"

#include <QStringList>

namespace historytree {

// The top-level nodes, or the children of a node.
inline QList<tree::TZozeZONode *> Nodes(publish::TIETOURL &form, tree::TZozeZONode *parent = nullptr)
{
    QList<tree::TZozeZONode *> out;
    for (tree::TZozeZONode *n = parent ? parent->GetFirstChild() : form.Tree3->Items()->GetFirstNode(); n;
         n = n->GetNextSibling())
        out << n;
    return out;
}

inline QStringList Texts(publish::TIETOURL &form, tree::TZozeZONode *parent = nullptr)
{
    QStringList out;
    for (tree::TZozeZONode *n : Nodes(form, parent))
        out << n->Text();
    return out;
}

// The hint the tree shows for a node (its info tip).
inline QString Hint(publish::TIETOURL &form, tree::TZozeZONode *node)
{
    QString text = node->Text();
    form.Tree3->OnHint(form.Tree3, node, text);
    return text;
}

} // namespace historytree
