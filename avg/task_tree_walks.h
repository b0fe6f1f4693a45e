// Walks over task subtrees with which the layer commands reset, clear, finish and wait for the
// layers and actors of a screen. Each visits a sibling chain in order and, for every task,
// first its children, then the task itself. The "Tree" forms take a root: they walk the root's
// children, then act on the root. A null task does nothing, or gives false.
#pragma once

#include <cstdint>

class GxTaskBase;

// Content reset of the layers whose type is `layerType`, or of every layer for type 0.
void ResetLayersOfType(GxTaskBase* first, std::int32_t layerType);
void ResetLayerTree(GxTaskBase* root);
// Switches the layers of `layerType` (every layer for 0) to empty content, fading for `fadeMs`.
void ClearLayersWithFade(GxTaskBase* first, std::int32_t fadeMs, std::int32_t layerType);
// Ends every layer's content transition.
void FinishLayerTransitions(GxTaskBase* first);
void FinishLayerTreeTransitions(GxTaskBase* root);
// Runs every actor's actions to their ends at once.
void FinishActionsInTree(GxTaskBase* first);
void FinishTaskTreeActions(GxTaskBase* root);
// True at the first layer whose content transition runs; the walk stops there.
bool IsAnyLayerInTransition(GxTaskBase* first);
bool IsLayerTreeInTransition(GxTaskBase* root);
// True at the first actor with an action in either list; the walk stops there.
bool IsAnyActorActing(GxTaskBase* first);
bool IsTaskTreeActing(GxTaskBase* root);
