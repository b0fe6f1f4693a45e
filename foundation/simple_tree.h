// An owning tree of nodes linked by parent, previous sibling, next sibling and first child.
#pragma once

// Base of the tree's nodes; the user's node class derives from it.
class GxSimpleNode {
public:
    GxSimpleNode() = default;
    virtual ~GxSimpleNode() = default;

    GxSimpleNode(const GxSimpleNode&) = delete;
    GxSimpleNode& operator=(const GxSimpleNode&) = delete;

    GxSimpleNode* m_Parent = nullptr;   // null for top-level nodes
    GxSimpleNode* m_PrevSibling = nullptr;
    GxSimpleNode* m_NextSibling = nullptr;
    GxSimpleNode* m_FirstChild = nullptr;
};

// Insertion modes: 0 the inserted node's own next-sibling chain takes the place of what was
// there (which is then no longer in the tree and is the caller's again), 1 what was there
// follows the node as its next sibling, 2 what was there becomes the node's children.
class GxSimpleTree {
public:
    GxSimpleTree() = default;
    virtual ~GxSimpleTree();

    GxSimpleTree(const GxSimpleTree&) = delete;
    GxSimpleTree& operator=(const GxSimpleTree&) = delete;

    GxSimpleNode* GetRoot() const { return m_Root; }

    // The node becomes the first top-level node.
    void SetRoot(GxSimpleNode* node, int mode);
    // The node right after the sibling; no sibling means SetRoot.
    void InsertAfter(GxSimpleNode* sibling, GxSimpleNode* node, int mode);
    // The node as the parent's first child; no parent means SetRoot.
    void InsertFirstChild(GxSimpleNode* parent, GxSimpleNode* node, int mode);
    // Takes the node (with its children) out of its sibling chain and returns it; no node
    // means the root.
    GxSimpleNode* Unlink(GxSimpleNode* node);
    // Deletes the node, its descendants and every node after it in its sibling chain.
    void DeleteSubtree(GxSimpleNode* node);
    void Clear();

private:
    GxSimpleNode* m_Root = nullptr;
    bool m_OwnsNodes = true;
};
