#include "avg/game_screens_builder.h"

#include "avg/standins/screens_standin.h"
#include "core/seq_base.h"
#include "core/standins/standin_trace.h"

namespace {

GxGameScreensBuilder g_Builder = nullptr;

// The resident sequence of a run without the screens' builder (tests of this module and below):
// it holds the tree's root and draws nothing.
class GxResidentStandin : public GxSeqBase {
public:
    explicit GxResidentStandin(GxTaskBase* owner) : GxSeqBase(owner, u"SeqSystem") {}
    ~GxResidentStandin() override { GxStandinTrace::Record(u"~SeqSystem"); }
    int Render(std::int32_t, std::uint64_t) override { return 0; }
    int Draw(std::int32_t, std::int32_t) override { return 0; }
};

void BuildStandinScreens(GxTaskBase* owner, GxCore*)
{
    if (owner == nullptr)
        return;
    new GxResidentStandin(owner);
    CreateStandinScreens(owner);
}

}  // namespace

GxGameScreensBuilder SetGameScreensBuilder(GxGameScreensBuilder builder)
{
    GxGameScreensBuilder previous = g_Builder;
    g_Builder = builder;
    return previous;
}

void BuildGameScreens(GxTaskBase* owner, GxCore* core)
{
    (g_Builder != nullptr ? g_Builder : &BuildStandinScreens)(owner, core);
}
