// [Icon index] names to image-set cells: the first cell of a title stays, lookups are exact.
#include "ui_test_support.h"

#include "motion/crammed_image_set.h"
#include "ui/ui_named_values.h"

namespace ui_test {
namespace {

TEST(UINamedValuesTest, TitlesIndexTheirFirstCellAndLookupsAreExact)
{
    GxNcCrammedImageSet set(u"ui_iconpool.gis", u"");
    set.m_OriginImageArray.resize(3);
    set.m_OriginImageArray[0].m_FileName = u"icons/save.png";
    set.m_OriginImageArray[1].m_FileName = u"other/save.bmp";   // the same title: the first stays
    set.m_OriginImageArray[2].m_FileName = u"load.png";
    BuildUINameIndex(&set);
    EXPECT_EQ(FindUINamedValue(u"save"), &set.m_OriginImageArray[0]);
    EXPECT_EQ(FindUINamedValue(u"load"), &set.m_OriginImageArray[2]);
    EXPECT_EQ(FindUINamedValue(u"Save"), nullptr);
    EXPECT_EQ(FindUINamedValue(u"save.png"), nullptr);
    EXPECT_FALSE(AddUINamedValue(u"load", &set.m_OriginImageArray[0]));
    ClearUINamedValues();
    EXPECT_EQ(FindUINamedValue(u"load"), nullptr);
}

}  // namespace
}  // namespace ui_test
