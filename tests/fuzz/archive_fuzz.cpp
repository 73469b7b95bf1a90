// Fuzz target: every archived class of the library loaded from bytes. The first byte picks the
// class (see kinds below), the rest is the archive. A value that loads is written, read back and
// written again; a framed object may be of any registered class, exceptions included.
#include "core/image/pel_buffer_archive.h"
#include "core/sys/attention.h"
#include "fuzz/fuzz_support.h"
#include "oc/arrange/arrange_params.h"
#include "oc/arrange/arrange_results.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/key_set.h"
#include "oc/oc/line.h"
#include "oc/oc/line_arrangement.h"
#include "oc/oc/model.h"
#include "oc/occhar/character.h"

#include <memory>

using namespace oc_fuzz;

namespace {

// A persistent object by value, without framing, as a value of the round trip.
template <class T>
struct ByValue : T {
    friend xcArchive& operator||(xcArchive& ar, ByValue& v) {
        return ar || static_cast<xcPersistent&>(static_cast<T&>(v));
    }
};

// An object loaded through the framing: a shared one is held by a reference of its own (the
// archive's goes with the archive), a plain one is owned outright.
class Framed {
public:
    explicit Framed(xcPersistent* p) : p_(p), rep_(dynamic_cast<const xcRepBase*>(p)) {
        if (rep_) rep_->addRef();
    }
    ~Framed() {
        if (rep_)
            rep_->release();
        else
            delete p_;
    }
    Framed(const Framed&) = delete;
    Framed& operator=(const Framed&) = delete;
    xcPersistent* get() const { return p_; }
    // Hands over a plain object, whose new owner frees it; null for a shared one.
    xcPersistent* release() {
        if (rep_) return nullptr;
        xcPersistent* p = p_;
        p_ = nullptr;
        return p;
    }

private:
    xcPersistent* p_;
    const xcRepBase* rep_;
};

Bytes storeFramed(xcPersistent* p) {
    xcMemoryArchive ar;
    ar.storeObject(p);
    return ar.bytes();
}

// Any registered class; exceptions also report themselves and are thrown as their own class.
void framed(const Bytes& bytes) {
    std::unique_ptr<Framed> obj;
    try {
        xcMemoryArchive ar(bytes);
        xcPersistent* p = ar.loadObject();
        if (!p) return;
        obj = std::make_unique<Framed>(p);
    } catch (const xcException&) {
        return;
    }
    const Bytes once = storeFramed(obj->get());
    xcMemoryArchive ar(once);
    Framed again(ar.loadObject());
    if (ar.position() != once.size()) fault("reading back left bytes unread");
    if (storeFramed(again.get()) != once) fault("a round trip changed the archive");
    if (auto* e = dynamic_cast<xcException*>(obj->get())) {
        (void)e->message();
        (void)e->errorNumber();
        if (auto* thrown = dynamic_cast<xcException*>(again.release())) {
            try {
                thrown->suicideAndRethrow();
            } catch (const xcException& copy) {
                if (copy.errorNumber() != e->errorNumber() || copy.message() != e->message())
                    fault("suicideAndRethrow threw another exception");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Bytes bytes(data + 1, data + size);
    // An old compiled alphabet compiles while it loads; the limit keeps one input short.
    xcAttentionTag limit;
    limit.attachTimeout(2.0);
    switch (data[0] % 13) {
    case 0:
        roundTrip<xcOCCharKey>(bytes, true);
        break;
    case 1:
        roundTrip<xcOCCharMetrics>(bytes, true);
        break;
    case 2:
        roundTrip<xcOCChar>(bytes, true);
        break;
    case 3:
        roundTrip<ByValue<xcOCModel>>(bytes, true);
        break;
    case 4:
        roundTrip<ByValue<xcOCAlphabet>>(bytes, true);
        break;
    case 5:
        roundTrip<xcOCKeySet>(bytes, false);
        break;
    case 6:
        roundTrip<ByValue<xcOCLine>>(bytes, true);
        break;
    case 7:
        roundTrip<ByValue<xcOCLineArrangement>>(bytes, false);
        break;
    case 8:
        roundTrip<xcOCArrangeParams>(bytes, false);
        break;
    case 9:
        roundTrip<xcOCArrangeResults>(bytes, false);
        break;
    case 10:
        roundTrip<xcPelBuffer<unsigned char>>(bytes, true);
        break;
    case 11:
        roundTrip<xcPelBuffer<short>>(bytes, true);
        break;
    default:
        framed(bytes);
        break;
    }
    return 0;
}
