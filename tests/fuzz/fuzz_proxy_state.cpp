// Fuzz target: the play screen proxy's saved state. The first byte picks the reader (even:
// text, odd: binary); the rest is read by ReadState into the proxy of a fixed tree, which then
// takes an update, a render and a sequence enter and leave. No damaged name may make the proxy
// keep a target that is missing or that encloses it (its walks would never end).
#include "avg/task_proxy_main.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "tests/fuzz/fuzz_bytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// root ── SeqOther ── $HOLDER:SeqOther ── c1 ── c1a
//      │                               └─ c2
//      └─ SeqAvgMain ── $ROOT:SeqAvgMain ── $PROXY:SeqAvgMain
struct ProxyTree {
    ProxyTree() : m_Manage(GxCore::GetInstance())
    {
        GxTaskBase* root = new GxTaskBase(&m_Manage);
        GxTaskBase* other = new GxSeqBase(root, u"SeqOther");
        GxTaskBase* holder = new GxTaskBase(other, u"$HOLDER:SeqOther", nullptr, 0);
        GxTaskBase* c1 = new GxTaskBase(holder, u"c1", nullptr, 0);
        new GxTaskBase(c1, u"c1a", nullptr, 0);
        new GxTaskBase(holder, u"c2", nullptr, 0);
        GxTaskBase* play = new GxSeqBase(root, u"SeqAvgMain");
        GxTaskBase* playRoot = new GxTaskBase(play, u"$ROOT:SeqAvgMain", nullptr, 0);
        m_Proxy = new AvgTaskProxyMain(playRoot);
    }

    GxTaskManage m_Manage;
    AvgTaskProxyMain* m_Proxy = nullptr;
};

ProxyTree& Tree()
{
    static ProxyTree tree;
    return tree;
}

bool EnclosesProxy(const GxTaskBase* task, const GxTaskBase* proxy)
{
    for (const GxTaskBase* node = proxy; node; node = node->m_Parent) {
        if (node == task)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    GxBinBuffer bytes;
    if (!FuzzBytes(data + 1, size - 1, bytes))
        return 0;
    ProxyTree& tree = Tree();
    AvgTaskProxyMain& proxy = *tree.m_Proxy;
    std::unique_ptr<GxContentReaderBase> reader;
    if ((data[0] & 1) == 0)
        reader = std::make_unique<GxContentTextReader>(bytes, false);
    else
        reader = std::make_unique<GxContentBinaryReader>(bytes, false);
    proxy.ReadState(*reader);

    // The invariant: both names with both tasks, found under those names, or all four empty.
    GxTaskBase* task = proxy.GetReceiveTask();
    const bool set = task != nullptr;
    if (set != (proxy.GetReceiveSequence() != nullptr) || set == proxy.GetReceiveTaskName().empty() ||
        set == proxy.GetReceiveSequenceName().empty())
        std::abort();
    if (set && (tree.m_Manage.FindTaskByName(proxy.GetReceiveTaskName()) != task ||
                tree.m_Manage.FindTaskByName(proxy.GetReceiveSequenceName()) != proxy.GetReceiveSequence() ||
                EnclosesProxy(task, &proxy)))
        std::abort();

    proxy.Update(0, 16000);
    proxy.Render(0, 16000);
    proxy.OnSequenceEnter(0);
    proxy.OnSequenceLeave(0);
    return 0;
}
