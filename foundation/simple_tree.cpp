#include "foundation/simple_tree.h"

#include <vector>

namespace {

void SetChainParent(GxSimpleNode* first, GxSimpleNode* parent)
{
    for (GxSimpleNode* n = first; n; n = n->m_NextSibling) n->m_Parent = parent;
}

// Puts `old` (a chain) where mode 1 or 2 wants it relative to `node`; mode 0 leaves it out.
void PlaceOldChain(GxSimpleNode* node, GxSimpleNode* old, int mode)
{
    if (mode == 1) {
        node->m_NextSibling = old;
        if (old) old->m_PrevSibling = node;
    } else if (mode == 2) {
        node->m_FirstChild = old;
        if (old) {
            old->m_PrevSibling = nullptr;
            SetChainParent(old, node);
        }
    }
}

}  // namespace

GxSimpleTree::~GxSimpleTree()
{
    if (m_OwnsNodes) Clear();
}

void GxSimpleTree::SetRoot(GxSimpleNode* node, int mode)
{
    if (!node) return;
    GxSimpleNode* old = m_Root;
    m_Root = node;
    node->m_PrevSibling = nullptr;
    if (old != node) PlaceOldChain(node, old, mode);
    SetChainParent(node, nullptr);
}

void GxSimpleTree::InsertAfter(GxSimpleNode* sibling, GxSimpleNode* node, int mode)
{
    if (!sibling) {
        SetRoot(node, mode);
        return;
    }
    if (!node || node == sibling) return;
    GxSimpleNode* old = sibling->m_NextSibling;
    sibling->m_NextSibling = node;
    node->m_PrevSibling = sibling;
    if (old != node) PlaceOldChain(node, old, mode);
    SetChainParent(node, sibling->m_Parent);
}

void GxSimpleTree::InsertFirstChild(GxSimpleNode* parent, GxSimpleNode* node, int mode)
{
    if (!parent) {
        SetRoot(node, mode);
        return;
    }
    if (!node || node == parent) return;
    GxSimpleNode* old = parent->m_FirstChild;
    parent->m_FirstChild = node;
    node->m_PrevSibling = nullptr;
    if (old != node) PlaceOldChain(node, old, mode);
    SetChainParent(node, parent);
}

GxSimpleNode* GxSimpleTree::Unlink(GxSimpleNode* node)
{
    if (!node) node = m_Root;
    if (!node) return nullptr;
    if (node->m_PrevSibling) node->m_PrevSibling->m_NextSibling = node->m_NextSibling;
    if (node->m_NextSibling) node->m_NextSibling->m_PrevSibling = node->m_PrevSibling;
    if (node->m_Parent && node->m_Parent->m_FirstChild == node) node->m_Parent->m_FirstChild = node->m_NextSibling;
    if (m_Root == node) m_Root = node->m_NextSibling;
    node->m_Parent = nullptr;
    node->m_PrevSibling = nullptr;
    node->m_NextSibling = nullptr;
    return node;
}

void GxSimpleTree::DeleteSubtree(GxSimpleNode* node)
{
    if (!node) return;
    // Cut the chain from `node` on out of the tree first, then delete without recursion so that
    // long sibling chains cannot exhaust the stack.
    if (node->m_PrevSibling)
        node->m_PrevSibling->m_NextSibling = nullptr;
    else if (node->m_Parent && node->m_Parent->m_FirstChild == node)
        node->m_Parent->m_FirstChild = nullptr;
    if (m_Root == node) m_Root = nullptr;

    // Children first, then the following siblings, then the node itself.
    std::vector<GxSimpleNode*> pending{node};
    std::vector<GxSimpleNode*> order;
    while (!pending.empty()) {
        GxSimpleNode* n = pending.back();
        pending.pop_back();
        order.push_back(n);
        if (n->m_FirstChild) pending.push_back(n->m_FirstChild);
        if (n->m_NextSibling) pending.push_back(n->m_NextSibling);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) delete *it;
}

void GxSimpleTree::Clear()
{
    DeleteSubtree(m_Root);
    m_Root = nullptr;
}
