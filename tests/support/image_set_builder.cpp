#include "tests/support/image_set_builder.h"

#include "foundation/content.h"

std::string BuildImageSet(const TestImageSetSpec& spec, TestContentForm form)
{
    return WriteContentBytes(form, [&spec, form](GxContentWriterBase& w) {
        w.WriteHeader(form == TestContentForm::kText ? "TGIMGSET" : "BGIMGSET", spec.version);
        w.WriteBool("m_EconomyMode", spec.economyMode);
        w.WriteListBegin("m_CrammedImageArray", "CrammedImage", static_cast<std::uint32_t>(spec.atlases.size()));
        for (const TestGisAtlas& atlas : spec.atlases) {
            w.WriteWString("m_FileName", atlas.fileName);
            w.WriteS32("m_ImageWidth", atlas.width);
            w.WriteS32("m_ImageHeight", atlas.height);
            w.WriteS32("m_Count", atlas.count);
            w.WriteU32("m_PreserveFlag", atlas.preserveFlag);
        }
        w.WriteListEnd();
        w.WriteListBegin("m_OriginImageArray", "OriginImage", static_cast<std::uint32_t>(spec.origins.size()));
        for (const TestGisOrigin& origin : spec.origins) {
            w.WriteWString("m_FileName", origin.fileName);
            w.WriteS32("m_PatternCount",
                       origin.patternCount.value_or(static_cast<std::int32_t>(origin.patterns.size())));
            w.WriteS32("m_ImageWidth", origin.width);
            w.WriteS32("m_ImageHeight", origin.height);
            w.WriteU32("m_PreserveFlag", origin.preserveFlag);
            w.WriteListBegin("m_PatternArray", "Pattern", static_cast<std::uint32_t>(origin.patterns.size()));
            for (const TestGisPattern& p : origin.patterns) {
                w.WriteS32("m_Left", p.left);
                w.WriteS32("m_Top", p.top);
                w.WriteS32("m_Width", p.width);
                w.WriteS32("m_Height", p.height);
                w.WriteS32("m_CrammedImageIndex", p.crammedImageIndex);
                w.WriteS32("m_CrammedOffsetLeft", p.crammedOffsetLeft);
                w.WriteS32("m_CrammedOffsetTop", p.crammedOffsetTop);
                w.WriteS32("m_CrammedLeft", p.crammedLeft);
                w.WriteS32("m_CrammedTop", p.crammedTop);
                w.WriteS32("m_CrammedWidth", p.crammedWidth);
                w.WriteS32("m_CrammedHeight", p.crammedHeight);
                w.WriteF32("m_CenterPosX", p.centerPosX);
                w.WriteF32("m_CenterPosY", p.centerPosY);
                if (p.crammedRawUV)
                    w.WriteFRect("m_CrammedRawUV", &*p.crammedRawUV);
                w.WriteU32("m_NoCutoffFlag", p.noCutoffFlag);
                w.WriteU32("m_Selected", p.selected);
            }
            w.WriteListEnd();
        }
        w.WriteListEnd();
    });
}

bool WriteImageSetFile(const std::string& path, const TestImageSetSpec& spec, TestContentForm form)
{
    return WriteBytesFile(path, BuildImageSet(spec, form));
}

TestImageSetSpec OnePatternImageSet(const std::u16string& atlasFile, const std::u16string& originFile,
                                    std::int32_t width, std::int32_t height)
{
    TestImageSetSpec spec;
    spec.atlases.push_back(TestGisAtlas{atlasFile, width, height, 1, 0});
    TestGisOrigin origin;
    origin.fileName = originFile;
    origin.width = width;
    origin.height = height;
    TestGisPattern pattern;
    pattern.width = width;
    pattern.height = height;
    pattern.crammedWidth = width;
    pattern.crammedHeight = height;
    pattern.centerPosX = static_cast<float>(width) / 2.0f;
    pattern.centerPosY = static_cast<float>(height) / 2.0f;
    pattern.crammedRawUV = GxFRect{0.0f, 0.0f, 1.0f, 1.0f};
    origin.patterns.push_back(pattern);
    spec.origins.push_back(origin);
    return spec;
}
