/* The record's layout and a short use of the interface, compiled as C. */
#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"
#include "occore/xstd_string.h"
#include "occore/xsys_cleanup.h"
#include "occore/xsys_typecheck.h"

#include <stddef.h>
#include <string.h>

/* Writes the record's size and field offsets as C sees them; returns their number. */
size_t xoc_test_layoutFromC(size_t* out) {
    const size_t v[] = {sizeof(xoc_char),
                        offsetof(xoc_charKey, instance),
                        offsetof(xoc_charKey, variant),
                        offsetof(xoc_charKey, fontID),
                        offsetof(xoc_char, polarity),
                        offsetof(xoc_char, image),
                        offsetof(xoc_char, mask),
                        offsetof(xoc_char, normalizedImage),
                        offsetof(xoc_char, binarizedImageCached),
                        offsetof(xoc_char, binarizedImage),
                        offsetof(xoc_char, hasThresholdAndInvert),
                        offsetof(xoc_char, threshold),
                        offsetof(xoc_char, invert),
                        offsetof(xoc_char, imageArea),
                        offsetof(xoc_char, metrics),
                        offsetof(xoc_char, name32),
                        offsetof(xoc_char, description32),
                        offsetof(xoc_char, name),
                        offsetof(xoc_char, description),
                        offsetof(xoc_charMetrics, fractionBits),
                        offsetof(xoc_charMetrics, cellRect),
                        offsetof(xoc_charMetrics, advanceY)};
    memcpy(out, v, sizeof v);
    return sizeof v / sizeof v[0];
}

/* A record with a name, released through a clean-up scope: 0 when every step works. */
int xoc_test_useFromC(void) {
    xoc_char rec;
    int32_t tag;
    if (xoc_char_construct(&rec) != XOC_OK) return 1;
    if (xstd_string_cloneA("A1", &rec.name) != XOC_OK || strcmp(rec.name, "A1") != 0) return 2;
    tag = xsys_cleanup_getNextTag();
    if (xsys_cleanupRegister_(tag, xsys_typeCheckFunc_xoc_char(xoc_char_destruct),
                              xsys_typeCheck_xoc_char(&rec)) != XOC_OK)
        return 3;
    if (xsys_cleanupExecute_(tag) != XOC_OK) return 4;
    return rec.name == NULL && rec.polarity == xoc_charPolarityUnknown ? 0 : 5;
}
