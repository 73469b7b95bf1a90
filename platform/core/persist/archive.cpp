#include "core/persist/archive.h"

#include "core/persist/detail/archive_objects.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

xcArchive::xcArchive(bool loading) : objects_ptr_(std::make_unique<Objects>()), loading_(loading) {
}

xcArchive::~xcArchive() = default;

xcArchive::Objects& xcArchive::objects_() {
    return *objects_ptr_;
}

void xcArchive::read(void* dst, std::size_t n) {
    if (!loading_) throw IOError("Cannot read from an archive that is storing");
    if (n == 0) return;
    const std::size_t got = readSome_(dst, n);
    position_ += got;
    if (got < n)
        throw EndOfArchive("Archive ends at byte " + std::to_string(position_) + ", " +
                           std::to_string(n - got) + " more bytes needed");
}

void xcArchive::write(const void* src, std::size_t n) {
    if (loading_) throw IOError("Cannot write to an archive that is loading");
    if (n == 0) return;
    writeAll_(src, n);
    position_ += n;
}

std::optional<std::size_t> xcArchive::bytesLeft() const {
    if (!loading_) return std::nullopt;
    return available_();
}

void xcArchive::checkCount(std::uint64_t count, std::size_t bytesPerElement) const {
    if (!loading_ || count == 0) return;
    const std::optional<std::size_t> known = available_();
    const std::uint64_t left = known ? *known : kMaxUncheckedBytes;
    const std::uint64_t per = bytesPerElement == 0 ? 1 : bytesPerElement;
    if (count > left / per)
        throw BadFormat("Count " + std::to_string(count) + " needs more than the " +
                        std::to_string(left) + " bytes left in the archive");
}

namespace {

// Little-endian helpers: the byte order is fixed by the format, not by the host.
template <class U>
void putLE(xcArchive& ar, U value) {
    unsigned char b[sizeof(U)];
    for (std::size_t i = 0; i < sizeof(U); ++i) b[i] = static_cast<unsigned char>(value >> (8 * i));
    ar.write(b, sizeof(U));
}

template <class U>
U getLE(xcArchive& ar) {
    unsigned char b[sizeof(U)];
    ar.read(b, sizeof(U));
    U value = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i) value |= static_cast<U>(U(b[i]) << (8 * i));
    return value;
}

// Exchanges an integer of type T as the unsigned type U of the archive's width. Loading
// assigns only after the whole value has been read.
template <class U, class T>
void exchangeInt(xcArchive& ar, T& v) {
    if (ar.isStoring()) {
        putLE<U>(ar, static_cast<U>(v));
    } else {
        using S = std::make_signed_t<U>;
        const U raw = getLE<U>(ar);
        if constexpr (std::is_signed_v<T>)
            v = static_cast<T>(static_cast<S>(raw)); // sign-extends
        else
            v = static_cast<T>(raw);
    }
}

// Length prefixes and 32-bit values that must fit: a longer one cannot be stored.
std::uint32_t narrowForStore(std::uint64_t n, const char* what) {
    if (n > std::numeric_limits<std::uint32_t>::max())
        throw xcArchive::NotStorable(std::string(what) + " " + std::to_string(n) +
                                     " does not fit into 32 bits");
    return static_cast<std::uint32_t>(n);
}

} // namespace

xcArchive& operator||(xcArchive& ar, bool& v) {
    if (ar.isStoring()) {
        const unsigned char b = v ? 1 : 0;
        ar.write(&b, 1);
    } else {
        unsigned char b = 0;
        ar.read(&b, 1);
        if (b > 1)
            throw xcArchive::BadFormat("A bool holds " + std::to_string(unsigned(b)) +
                                       " instead of 0 or 1");
        v = b == 1;
    }
    return ar;
}

xcArchive& operator||(xcArchive& ar, char& v) {
    exchangeInt<std::uint8_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, signed char& v) {
    exchangeInt<std::uint8_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, unsigned char& v) {
    exchangeInt<std::uint8_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, short& v) {
    exchangeInt<std::uint16_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, unsigned short& v) {
    exchangeInt<std::uint16_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, int& v) {
    exchangeInt<std::uint32_t>(ar, v);
    return ar;
}
xcArchive& operator||(xcArchive& ar, unsigned int& v) {
    exchangeInt<std::uint32_t>(ar, v);
    return ar;
}

// A long is 32 bits in archives whatever the host's long is.
xcArchive& operator||(xcArchive& ar, long& v) {
    if (ar.isStoring() && (v < std::numeric_limits<std::int32_t>::min() ||
                           v > std::numeric_limits<std::int32_t>::max()))
        throw xcArchive::NotStorable("The long " + std::to_string(v) +
                                     " does not fit into 32 bits");
    exchangeInt<std::uint32_t>(ar, v);
    return ar;
}

xcArchive& operator||(xcArchive& ar, unsigned long& v) {
    if (ar.isStoring()) narrowForStore(v, "The unsigned long");
    exchangeInt<std::uint32_t>(ar, v);
    return ar;
}

xcArchive& operator||(xcArchive& ar, float& v) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
    exchangeInt<std::uint32_t>(ar, bits);
    if (ar.isLoading()) v = std::bit_cast<float>(bits);
    return ar;
}

xcArchive& operator||(xcArchive& ar, double& v) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    exchangeInt<std::uint64_t>(ar, bits);
    if (ar.isLoading()) v = std::bit_cast<double>(bits);
    return ar;
}

xcArchive& operator||(xcArchive& ar, std::string& v) {
    if (ar.isStoring()) {
        putLE<std::uint32_t>(ar, narrowForStore(v.size(), "A string length"));
        ar.write(v.data(), v.size());
    } else {
        const std::uint32_t n = getLE<std::uint32_t>(ar);
        ar.checkCount(n, 1);
        std::string s(n, '\0');
        ar.read(s.data(), n);
        v.swap(s);
    }
    return ar;
}

xcArchive& operator||(xcArchive& ar, std::basic_string<unsigned long>& v) {
    if (ar.isStoring()) {
        // Every code is checked before anything is written.
        const std::uint32_t n = narrowForStore(v.size(), "A code string length");
        for (unsigned long c : v) narrowForStore(c, "The character code");
        putLE<std::uint32_t>(ar, n);
        for (unsigned long c : v) putLE<std::uint32_t>(ar, static_cast<std::uint32_t>(c));
    } else {
        const std::uint32_t n = getLE<std::uint32_t>(ar);
        ar.checkCount(n, 4);
        std::basic_string<unsigned long> s(n, 0);
        for (auto& c : s) c = getLE<std::uint32_t>(ar);
        v.swap(s);
    }
    return ar;
}
