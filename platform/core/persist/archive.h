// Binary archives: one object both stores and loads, so a class writes one function for both.
#pragma once

#include "core/base/error_class.h"
#include "core/base/handle.h"
#include "core/export.h"
#include "core/object/exchange.h"
#include "core/object/persistent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

class xcArchive;

// A persistent object held by value: its dispatchSerialize data without framing. The object's
// address is first forgotten as visited, so an object at an address that an earlier one used
// (a loop temporary) is never skipped.
XCORE_API xcArchive& operator||(xcArchive& ar, xcPersistent& obj);

// Encoding, the same on every host: little-endian; bool and chars 1 byte (a loaded bool must be
// 0 or 1), short 2, int 4, long and unsigned long 4 (storing a value outside 32 bits throws
// NotStorable; long loads sign-extended, unsigned long zero-extended), float 4 and double 8 as
// IEEE bits, std::string a uint32 length then the bytes, a string of 32-bit codes
// (std::basic_string<unsigned long>) a uint32 count then uint32 codes.
//
// Persistent objects behind pointers and handles are framed by a tag byte: 0 null; 1 a new
// object: its registered class name (string) then its dispatchSerialize data; 2 a
// back-reference: the uint32 index of an object framed earlier in this archive, counting new
// objects from 0 in the order their tags were written. A shared object (one of an xcRepBase
// class) is thus written once and loads as one object again. A plain object has a single owner:
// it is written in full each time it is met and a back-reference to it is damaged data. An
// object may not refer to itself or to an object that contains it (reference counts could never
// free such a ring), and framed objects nest at most kMaxDepth deep; both are refused on
// storing and on loading.
//
// Loading checks every length and count against the bytes left before it allocates, and throws
// BadFormat (EndOfArchive past the end) on damaged data. After a failed load the archive is of
// no further use; primitives, strings, vectors and geometry values keep their old values, a
// persistent object may be partly loaded, and objects made by the failed framing are freed.
//
// Ownership: the archive holds a reference to every shared object that it loaded, or stored
// while handles held it, until the archive is destroyed; handles take their own. A raw-pointer
// load of a plain object hands it to the caller, who deletes it. A raw-pointer load of a shared
// object must be taken by a handle before the archive goes.
class XCORE_API xcArchive {
public:
    // The archive holds a version of a class that this code cannot read. text names the class
    // (or the place) and number is the version met; message "Unknown version 3 of xcFoo".
    class XCORE_API UnknownVersion : public xcException {
    public:
        explicit UnknownVersion(const std::string& text = "", long number = 0)
            : text_(text), number_(number) {}

        const std::string& text() const { return text_; }
        long number() const { return number_; }
        void message_(std::ostream& os) const override;

        // Archive: version byte 0, the text, the number (32-bit), then the xcException part.
        XC_ERROR_MEMBERS(UnknownVersion, 0x10000011)

    private:
        std::string text_;
        long number_ = 0;
    };

    // Damaged data: a bad tag, bool or back-reference, an unknown class name, an object of the
    // wrong class, a count larger than the bytes left, nesting too deep.
    XC_ERROR_CLASS(XCORE_API, BadFormat, xcExceptionWithString, 0x10000012);

    // A read went past the end of the data (a truncated archive).
    XC_ERROR_CLASS(XCORE_API, EndOfArchive, BadFormat, 0x10000013);

    // A file could not be opened, read, written or closed, or the archive was used the wrong
    // way round (reading while storing).
    XC_ERROR_CLASS(XCORE_API, IOError, xcExceptionWithString, 0x10000014);

    // A value cannot be written: a long outside 32 bits, a string longer than 2^32 - 1, an
    // object of a class not registered with xc_Instantiator, a ring of objects, nesting too deep.
    XC_ERROR_CLASS(XCORE_API, NotStorable, xcExceptionWithString, 0x10000015);

    // Deepest nesting of framed objects (an object inside an object ...) stored or loaded.
    static constexpr int kMaxDepth = 256;
    // When a source cannot tell how many bytes it has left, no count may ask for more bytes.
    static constexpr std::size_t kMaxUncheckedBytes = std::size_t(1) << 26;

    xcArchive(const xcArchive&) = delete;
    xcArchive& operator=(const xcArchive&) = delete;
    virtual ~xcArchive();

    bool isLoading() const noexcept { return loading_; }
    bool isStoring() const noexcept { return !loading_; }

    // Reads exactly n bytes (loading only); fewer left throws EndOfArchive.
    void read(void* dst, std::size_t n);
    // Writes n bytes (storing only).
    void write(const void* src, std::size_t n);
    // Bytes that can still be read, when the source knows; nothing while storing.
    std::optional<std::size_t> bytesLeft() const;
    // Bytes read or written so far.
    std::size_t position() const noexcept { return position_; }
    // Loading: throws BadFormat unless count elements of at least bytesPerElement bytes each can
    // still be read (or fit in kMaxUncheckedBytes when the bytes left are not known). Called
    // before a container is sized from an archived count.
    void checkCount(std::uint64_t count, std::size_t bytesPerElement) const;

    // The object framing behind the pointer and handle operators. storeObject writes obj (may
    // be null); loadObject reads one reference and returns the object (null for tag 0). With
    // accept given, an object for which it returns false is refused with BadFormat before it is
    // loaded; `expected` names the wanted class in that message.
    void storeObject(xcPersistent* obj);
    using AcceptFn = bool (*)(xcPersistent*);
    xcPersistent* loadObject(AcceptFn accept = nullptr, const std::type_info* expected = nullptr);

    // Accept function that wants a T.
    template <class T>
    static bool accepts(xcPersistent* p) {
        return dynamic_cast<T*>(p) != nullptr;
    }

protected:
    explicit xcArchive(bool loading);

    // Reads up to n bytes into dst and returns how many it read (fewer only at the end).
    virtual std::size_t readSome_(void* dst, std::size_t n) = 0;
    // Writes all n bytes or throws.
    virtual void writeAll_(const void* src, std::size_t n) = 0;
    // Bytes that can still be read, when known.
    virtual std::optional<std::size_t> available_() const = 0;

private:
    friend class xcPersistent;
    friend xcArchive& operator||(xcArchive& ar, xcPersistent& obj);

    struct Objects;
    Objects& objects_();
    bool visited_(const void* obj) const;
    void markVisited_(const void* obj);
    void forgetVisited_(const void* obj);

    std::unique_ptr<Objects> objects_ptr_;
    std::size_t position_ = 0;
    bool loading_;
};

// A persistent object behind a raw pointer, framed (see xcArchive for ownership).
XCORE_API xcArchive& operator||(xcArchive& ar, xcPersistent*& p);

// The same for a pointer to a class derived from xcPersistent; loading an object of another
// class throws BadFormat.
template <class T>
requires(std::is_base_of_v<xcPersistent, T> && !std::is_same_v<T, xcPersistent>) xcArchive&
operator||(xcArchive& ar, T*& p) {
    if (ar.isStoring()) {
        ar.storeObject(p);
    } else {
        p = dynamic_cast<T*>(ar.loadObject(&xcArchive::accepts<T>, &typeid(T)));
    }
    return ar;
}

// Handles of persistent objects, framed: a shared object is written once and loads shared.
template <class T>
xcArchive& operator||(xcArchive& ar, xcPtrHandle<T>& h) {
    static_assert(std::is_base_of_v<xcPersistent, T> && std::is_base_of_v<xcRepBase, T>,
                  "archived handles hold persistent rep objects");
    if (ar.isStoring()) {
        ar.storeObject(h.get());
    } else {
        h = xcPtrHandle<T>(dynamic_cast<T*>(ar.loadObject(&xcArchive::accepts<T>, &typeid(T))));
    }
    return ar;
}

template <class T>
xcArchive& operator||(xcArchive& ar, xcPtrHandle_const<T>& h) {
    static_assert(std::is_base_of_v<xcPersistent, T> && std::is_base_of_v<xcRepBase, T>,
                  "archived handles hold persistent rep objects");
    if (ar.isStoring()) {
        // Storing only reads the object; dispatchSerialize is one function for both ways.
        ar.storeObject(const_cast<T*>(h.get()));
    } else {
        h = xcPtrHandle_const<T>(
            dynamic_cast<T*>(ar.loadObject(&xcArchive::accepts<T>, &typeid(T))));
    }
    return ar;
}

// An archive in memory: storing appends to bytes(); loading reads a copy of the given bytes.
class XCORE_API xcMemoryArchive : public xcArchive {
public:
    // A storing archive, empty.
    xcMemoryArchive();
    // A loading archive over these bytes.
    explicit xcMemoryArchive(std::vector<unsigned char> bytes);
    xcMemoryArchive(const void* data, std::size_t size);
    ~xcMemoryArchive() override;

    // Everything stored so far (storing), or the whole data being loaded.
    const std::vector<unsigned char>& bytes() const noexcept { return bytes_; }

protected:
    std::size_t readSome_(void* dst, std::size_t n) override;
    void writeAll_(const void* src, std::size_t n) override;
    std::optional<std::size_t> available_() const override;

private:
    std::vector<unsigned char> bytes_;
    std::size_t next_ = 0;
};

// An archive on a file. Loading needs a regular file (its size bounds every count); storing
// creates or truncates the file. Opening never waits: a FIFO is refused for loading, and for
// storing it needs a reader already there. Opening fails with IOError naming the path.
class XCORE_API xcFileArchive : public xcArchive {
public:
    enum Mode { eLoading, eStoring };

    xcFileArchive(const std::string& path, Mode mode);
    // Closes the file; a failure to flush at this point is lost: call close() to see it.
    ~xcFileArchive() override;

    const std::string& path() const noexcept { return path_; }
    // Flushes and closes the file; a failure throws IOError. Later reads and writes throw too.
    void close();

protected:
    std::size_t readSome_(void* dst, std::size_t n) override;
    void writeAll_(const void* src, std::size_t n) override;
    std::optional<std::size_t> available_() const override;

private:
    std::string path_;
    void* file_ = nullptr; // std::FILE*
    std::size_t size_ = 0; // loading: the file's size
};
