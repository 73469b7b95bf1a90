// Fuzz target: every archived class of the library loaded from bytes. The first byte picks the
// class (kLoaders), the rest is the archive. A value that loads is used as a caller may use it,
// then written, read back and written again; a framed object may be of any registered class,
// exceptions included.
#include "core/image/pel_buffer_archive.h"
#include "core/sys/attention.h"
#include "fuzz/fuzz_support.h"
#include "oc/arrange/arrange_params.h"
#include "oc/arrange/arrange_results.h"
#include "oc/arrange/char_poses.h"
#include "oc/oc/alphabet.h"
#include "oc/oc/key_set.h"
#include "oc/oc/line.h"
#include "oc/oc/line_arrangement.h"
#include "oc/oc/model.h"
#include "oc/occhar/character.h"

#include <iterator>
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

// What a caller may do with a loaded value: every failure must be one of the library's own.
void useCharacter(xcOCChar& c) {
    tolerant([&] { (void)c.name(), (void)c.description(); });
    tolerant([&] { (void)c.imageMarkRect(); });
    tolerant([&] { (void)c.binarizedImageMarkRect(); });
    tolerant([&] { (void)c.binarizedImage(true); });
    xoc_char rec;
    xoc_char_construct(&rec);
    tolerant([&] {
        c.getCharacter(rec, true);
        xcOCChar back;
        back.setCharacter(rec, false);
    });
    xoc_char_destruct(&rec);
}

void useMetrics(xcOCCharMetrics& m) {
    tolerant([&] { (void)m.isBlank(); });
    for (unsigned type = 1; type <= 32; type *= 2)
        tolerant([&] { (void)m.encloseRectImage(xcOCCharMetrics::RectType(type), xcXform<2>()); });
}

void useAlphabet(ByValue<xcOCAlphabet>& a) {
    for (const auto& row : a.characters())
        for (const auto& col : a.characters())
            tolerant([&] {
                (void)a.areConfusable(row->key(), col->key());
                (void)a.characterOffset(row->key(), col->key());
            });
}

void useKeySet(xcOCKeySet& k) {
    tolerant([&] { (void)k.currentKeys(); });
    tolerant([&] { (void)k.currentKey(); });
    for (long key : k.keys()) tolerant([&] { (void)k.confusionOverrides(key); });
}

const xcXform<2> kFrame(xcMatrix<2>(0.9, -0.2, 0.2, 0.9), xcVector<2>(5, -3));

void useLine(ByValue<xcOCLine>& l) {
    for (long p = 0; p < l.numPositions(); ++p) tolerant([&] { (void)l.characters(p); });
    tolerant([&] { (void)l.encloseRect(kFrame, kFrame, kFrame, 1.0, xcRadian(0.1), 0.1, true); });
}

void useArrangement(ByValue<xcOCLineArrangement>& a) {
    tolerant([&] { (void)a.encloseRect(kFrame, kFrame, kFrame, 1.0, xcRadian(0.1), 0.1, true); });
}

void useResults(xcOCArrangeResults& r) {
    tolerant([&] { (void)xfOCCharacterPoses(r); });
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

// The first byte of an input picks one, in this order.
using Loader = void (*)(const Bytes&);
const Loader kLoaders[] = {
    [](const Bytes& b) { roundTrip<xcOCCharKey>(b, true); },
    [](const Bytes& b) { roundTrip<xcOCCharMetrics>(b, true, useMetrics); },
    [](const Bytes& b) { roundTrip<xcOCChar>(b, true, useCharacter); },
    [](const Bytes& b) { roundTrip<ByValue<xcOCModel>>(b, true); },
    [](const Bytes& b) { roundTrip<ByValue<xcOCAlphabet>>(b, true, useAlphabet); },
    [](const Bytes& b) { roundTrip<xcOCKeySet>(b, false, useKeySet); },
    [](const Bytes& b) { roundTrip<ByValue<xcOCLine>>(b, true, useLine); },
    [](const Bytes& b) { roundTrip<ByValue<xcOCLineArrangement>>(b, false, useArrangement); },
    [](const Bytes& b) { roundTrip<xcOCArrangeParams>(b, false); },
    [](const Bytes& b) { roundTrip<xcOCArrangeResults>(b, false, useResults); },
    [](const Bytes& b) { roundTrip<xcPelBuffer<unsigned char>>(b, true); },
    [](const Bytes& b) { roundTrip<xcPelBuffer<short>>(b, true); },
    framed,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Bytes bytes(data + 1, data + size);
    // An old compiled alphabet compiles while it loads; the limit keeps one input short.
    xcAttentionTag limit;
    limit.attachTimeout(2.0);
    kLoaders[data[0] % std::size(kLoaders)](bytes);
    return 0;
}
