#include "avg/task_tree_walks.h"

#include "core/task_actor.h"
#include "core/task_base.h"
#include "core/task_layer.h"

namespace {

// The kind bits are set by the constructors, so they tell the class without a cast check.
GxTaskLayer* AsLayer(GxTaskBase* task)
{
    return (task->m_KindFlags & kKindLayer) ? static_cast<GxTaskLayer*>(task) : nullptr;
}

GxTaskActor* AsActor(GxTaskBase* task)
{
    return (task->m_KindFlags & kKindActor) ? static_cast<GxTaskActor*>(task) : nullptr;
}

bool IsOfType(const GxTaskLayer* layer, std::int32_t layerType)
{
    return layerType == 0 || layer->GetLayerType() == layerType;
}

// Children first, then the task, along the chain.
template <typename Act>
void WalkChain(GxTaskBase* first, const Act& act)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        WalkChain(task->m_FirstChild, act);
        act(task);
    }
}

// The same order; stops at the first task for which `test` is true.
template <typename Test>
bool TestChain(GxTaskBase* first, const Test& test)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        if (TestChain(task->m_FirstChild, test) || test(task))
            return true;
    }
    return false;
}

void ResetLayer(GxTaskBase* task, std::int32_t layerType)
{
    if (GxTaskLayer* layer = AsLayer(task); layer && IsOfType(layer, layerType))
        layer->ResetLayer();
}

void EndTransition(GxTaskBase* task)
{
    if (GxTaskLayer* layer = AsLayer(task))
        layer->EndTransit();
}

void FinishActions(GxTaskBase* task)
{
    if (GxTaskActor* actor = AsActor(task))
        actor->FinishActions();
}

bool InTransition(GxTaskBase* task)
{
    const GxTaskLayer* layer = AsLayer(task);
    return layer && layer->IsInTransit();
}

bool Acting(GxTaskBase* task)
{
    const GxTaskActor* actor = AsActor(task);
    return actor && !actor->IsActionListEmpty();
}

}  // namespace

void ResetLayersOfType(GxTaskBase* first, std::int32_t layerType)
{
    WalkChain(first, [layerType](GxTaskBase* task) { ResetLayer(task, layerType); });
}

void ResetLayerTree(GxTaskBase* root)
{
    if (!root)
        return;
    ResetLayersOfType(root->m_FirstChild, 0);
    ResetLayer(root, 0);
}

void ClearLayersWithFade(GxTaskBase* first, std::int32_t fadeMs, std::int32_t layerType)
{
    WalkChain(first, [fadeMs, layerType](GxTaskBase* task) {
        if (GxTaskLayer* layer = AsLayer(task); layer && IsOfType(layer, layerType))
            layer->ClearContent(fadeMs);
    });
}

void FinishLayerTransitions(GxTaskBase* first)
{
    WalkChain(first, EndTransition);
}

void FinishLayerTreeTransitions(GxTaskBase* root)
{
    if (!root)
        return;
    FinishLayerTransitions(root->m_FirstChild);
    EndTransition(root);
}

void FinishActionsInTree(GxTaskBase* first)
{
    WalkChain(first, FinishActions);
}

void FinishTaskTreeActions(GxTaskBase* root)
{
    if (!root)
        return;
    FinishActionsInTree(root->m_FirstChild);
    FinishActions(root);
}

bool IsAnyLayerInTransition(GxTaskBase* first)
{
    return TestChain(first, InTransition);
}

bool IsLayerTreeInTransition(GxTaskBase* root)
{
    return root && (IsAnyLayerInTransition(root->m_FirstChild) || InTransition(root));
}

bool IsAnyActorActing(GxTaskBase* first)
{
    return TestChain(first, Acting);
}

bool IsTaskTreeActing(GxTaskBase* root)
{
    return root && (IsAnyActorActing(root->m_FirstChild) || Acting(root));
}
