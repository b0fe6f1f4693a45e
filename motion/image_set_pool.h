// The pool of user-interface image sets: a table from name (exactly as given) to set through
// which screens add and drop their sets and widgets find them without taking references. Each
// entry stands for one reference of the image-set factory. Window thread only; no lock.
#pragma once

#include <map>
#include <string>

class GxNcCrammedImageSet;

class GxNcImageSetPool {
public:
    // The pooled set, else the factory's (with textures); null, logged, when it cannot be had.
    GxNcCrammedImageSet* AddImageSet(const std::u16string& name);
    // Gives the entry's reference back; false, logged, for a name not in the pool.
    bool ReleaseImageSet(const std::u16string& name);
    // No reference, no message.
    GxNcCrammedImageSet* GetImageSet(const std::u16string& name) const;
    void ReleaseAllImageSets();

    std::size_t GetCount() const { return m_Pool.size(); }

private:
    std::map<std::u16string, GxNcCrammedImageSet*> m_Pool;
};

// The process's one pool.
GxNcImageSetPool& GetImageSetPool();
