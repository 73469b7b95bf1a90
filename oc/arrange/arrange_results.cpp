#include "oc/arrange/arrange_results.h"

#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "oc/arrange/detail/enum_archive.h"
#include "oc/oc/vector_archive.h"

xcOCArrangeResults::xcOCArrangeResults() = default;

bool xcOCArrangeResults::operator==(const xcOCArrangeResults& o) const {
    if (isFound_ != o.isFound_ || isSearchTruncated_ != o.isSearchTruncated_) return false;
    if (arrangement_.isNull() != o.arrangement_.isNull()) return false;
    if (!arrangement_.isNull() && !(*arrangement_ == *o.arrangement_)) return false;
    return clientFromArrangement_ == o.clientFromArrangement_ && statusFlags_ == o.statusFlags_ &&
           scores_ == o.scores_;
}

xcArchive& operator||(xcArchive& ar, xcOCArrangeResults& r) {
    // The version byte is read unsigned, so that no damaged byte passes as an old version.
    const unsigned char version = xfExchangeVersion(ar, "xcOCArrangeResults", 1);
    xcOCArrangeResults loaded;
    xcOCArrangeResults& q = ar.isStoring() ? r : loaded;
    ar || q.isFound_ || q.isSearchTruncated_ || q.arrangement_ || q.clientFromArrangement_;
    xf_ArchiveVector(
        ar, q.statusFlags_,
        [](xcArchive& a, xcOCArrangeDefs::CharStatus& s) {
            oc_detail::archiveEnum(a, s, xcOCArrangeDefs::eUnknown);
        },
        4);
    ar || q.scores_;
    if (ar.isLoading()) {
        if (version == 0) {
            // An old archive ends with two values this version no longer keeps.
            double dropped[2];
            ar || dropped[0] || dropped[1];
        }
        r = loaded;
    }
    return ar;
}
