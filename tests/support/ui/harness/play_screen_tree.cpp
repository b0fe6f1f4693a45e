#include "tests/support/ui/harness/play_screen_tree.h"

#include "core/task_folder.h"
#include "core/task_layer.h"
#include "ui/message_window.h"
#include "ui/ui_text_button.h"
#include "ui/ui_text_panel_fx.h"

const std::array<const char16_t*, PlayScreenTree::kLayerCount> PlayScreenTree::kLayerNames = {
    u"$VISUAL:SeqAvgMain",    u"$BGLAYER:SeqAvgMain",     u"$BGWLAYER:SeqAvgMain",
    u"$MOVIELAYER:SeqAvgMain", u"$GLOBALFLASH:SeqAvgMain", u"$GLOBALFADE:SeqAvgMain",
};

PlayScreenTree BuildPlayScreenTree(GxTaskBase* owner, const std::vector<std::u16string>& characters)
{
    PlayScreenTree tree;
    for (int i = 0; i < PlayScreenTree::kLayerCount; ++i)
        tree.layers[static_cast<std::size_t>(i)] = new GxTaskLayer(owner, PlayScreenTree::kLayerNames[static_cast<std::size_t>(i)]);
    tree.stand = new GxTaskFolder(owner, u"$STAND:SeqAvgMain", nullptr, 0);
    for (const std::u16string& name : characters)
        tree.standLayers.push_back(new GxTaskLayer(tree.stand, nullptr, name.c_str(), 0));
    tree.messageWindow = new GxTaskUIMessageWindowFx(owner, u"$MESWIN:SeqAvgMain", nullptr, 0);
    tree.nameWindow = new GxTaskUITextPanelFx(owner, u"$NAMEWIN:SeqAvgMain", nullptr, 0);
    tree.nameImage = new GxTaskLayer(owner, u"$NAMEIMAGE:SeqAvgMain");
    tree.select = new GxTaskFolder(owner, u"$SELECT:SeqAvgMain", nullptr, 0);
    for (int i = 0; i < PlayScreenTree::kChoiceCount; ++i)
        tree.choices[static_cast<std::size_t>(i)] = new GxTaskUITextButtonIs(tree.select, nullptr, u"btn_select", i + 1);
    return tree;
}
