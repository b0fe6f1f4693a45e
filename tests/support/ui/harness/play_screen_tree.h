// The parts of the play screen a saved game carries, under any owner: six named layers, the stand
// folder with one layer per character, the message window, the name window (a text panel), the
// name image layer, and the choice folder with the text buttons "btn_select" 1 to 10. The tasks
// belong to the task tree; the record only points at them. No GoogleTest.
#pragma once

#include <array>
#include <string>
#include <vector>

class GxTaskBase;
class GxTaskFolder;
class GxTaskLayer;
class GxTaskUIMessageWindowFx;
class GxTaskUITextButtonIs;
class GxTaskUITextPanelFx;

struct PlayScreenTree {
    static constexpr int kLayerCount = 6;
    static constexpr int kChoiceCount = 10;
    // "$VISUAL", "$BGLAYER", "$BGWLAYER", "$MOVIELAYER", "$GLOBALFLASH", "$GLOBALFADE" (each ":SeqAvgMain").
    static const std::array<const char16_t*, kLayerCount> kLayerNames;

    std::array<GxTaskLayer*, kLayerCount> layers{};
    GxTaskFolder* stand = nullptr;
    std::vector<GxTaskLayer*> standLayers;   // in the order of the names given
    GxTaskUIMessageWindowFx* messageWindow = nullptr;
    GxTaskUITextPanelFx* nameWindow = nullptr;
    GxTaskLayer* nameImage = nullptr;
    GxTaskFolder* select = nullptr;
    std::array<GxTaskUITextButtonIs*, kChoiceCount> choices{};   // local indexes 1 to 10
};

// Builds the parts under `owner`, a stand layer for each character name.
PlayScreenTree BuildPlayScreenTree(GxTaskBase* owner, const std::vector<std::u16string>& characters);
