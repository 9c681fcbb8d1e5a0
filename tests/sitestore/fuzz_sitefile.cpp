// Any bytes as a site file: no crash, no leak, no read beyond the data, and
// the table stays consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/sitestore/sitefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> copy(data, data + size);
    CMemFile file(copy.data(), static_cast<UINT>(copy.size()));
    SiteTable sites = {};
    UINT count = 0;
    {
        CArchive ar(&file, CArchive::load, kSiteFileBufferSize);
        CSiteTableTarget target(sites, count);
        SiteFileLoadResult result;
        try {
            LoadSiteFile(ar, target, result);
        } catch (CException* e) {
            e->Delete();
            ar.Abort();
        }
        if (result.nAdded != count || CountSites(sites) != count)
            abort();
    }
    for (CSiteItem*& site : sites) {
        delete site;
        site = nullptr;
    }
    return 0;
}
