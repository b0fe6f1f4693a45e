// A loaded, shared motion project: the document plus the folders it came from, the image sets
// its image keys draw from (held through the image-set factory while the project is loaded),
// and the resolved links of every image key. Made and deleted only by GxNcProjectFactory.
#pragma once

#include "foundation/object_base.h"
#include "motion/nc_project.h"

#include <string>
#include <vector>

class GxBinBuffer;

class GxNcProjectEx : public GxNcProject, public GxObjectRefCountNotAutoDelete {
public:
    GxNcProjectEx() = default;
    // Gives back the image sets still listed, once each.
    ~GxNcProjectEx() override;

    // Links every image key to its origin image and to the motion it names.
    virtual void ResolveMotionReferences();
    // The key's origin image in the set ImageSetFolder + m_ImageSetName, or null (a warning
    // unless the key names no image).
    virtual GxNcOriginImage* FindKeyImage(const std::u16string& groupName, const std::u16string& motionName,
                                          const std::u16string& layerName, const GxNcImageKey& key);
    // Loads the ".gnc" of `name` (its extension replaced), requests its image sets from
    // `imageSetFolder` and resolves the keys. False when the file did not load; the project then
    // stays empty and counted.
    virtual bool LoadFromName(const std::u16string& name, const std::u16string& imageSetFolder, bool loadTextures);
    // As LoadFromName, with the file's bytes already in `buffer`.
    bool LoadFromBuffer(const std::u16string& name, const std::u16string& imageSetFolder, const GxBinBuffer& buffer,
                        bool loadTextures);

    // Count - 1 while above 0; at 0 the image sets go back and the project empties itself.
    std::uint32_t Release() override;

    const std::vector<std::u16string>& GetImageSetList() const { return m_ImageSetList; }
    const std::u16string& GetProjectFolder() const { return m_ProjectFolder; }
    const std::u16string& GetImageSetFolder() const { return m_ImageSetFolder; }

private:
    // Steps before the file is read; the file name to read.
    std::u16string PrepareLoad(const std::u16string& name, const std::u16string& imageSetFolder);
    // Steps after the file was read.
    bool FinishLoad(bool loaded, bool loadTextures);
    void ReleaseImageSets();

    std::vector<std::u16string> m_ImageSetList;   // registered names of the requested sets
    std::u16string m_ProjectFolder;               // lower-cased, with a trailing "/"
    std::u16string m_ImageSetFolder;              // lower-cased, with a trailing "/"
};
