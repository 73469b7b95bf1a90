// Reference-counted sharing: xcRepBase objects held by xcPtrHandle / xcPtrHandle_const.
#pragma once

#include "core/export.h"

#include <atomic>
#include <cstddef>
#include <type_traits>

// Throws xcBadPointer; used by the handles so that this header stays light.
[[noreturn]] XCORE_API void xf_ThrowBadPointer();

// Base of objects shared through handles. The count lives in the object itself (intrusive), so
// a handle made from a raw pointer of an object that other handles already hold joins them
// instead of starting a second count. A new object has count 0; the last handle to let go
// deletes it through the virtual destructor. Counts are atomic: handles of one object may be
// copied and dropped on many threads at once.
class XCORE_API xcRepBase {
public:
    xcRepBase() noexcept {}
    // A copy is a new object: it starts with no holders, and assignment keeps the target's.
    xcRepBase(const xcRepBase&) noexcept {}
    xcRepBase& operator=(const xcRepBase&) noexcept { return *this; }
    virtual ~xcRepBase();

    // Number of holders (handles, and archives that loaded or stored the object).
    long refCount() const noexcept { return count_.load(std::memory_order_acquire); }

    // Low-level holder accounting for code that keeps raw pointers alive (archives); handles
    // call these themselves. release() deletes the object when the last holder lets go.
    void addRef() const noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    void release() const noexcept {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

private:
    mutable std::atomic<long> count_{0};
};

template <class T>
class xcPtrHandle_const;

// A shared, modifiable object of type T (derived from xcRepBase), or null. Copies share the
// object; == compares identity. operator-> and operator* on a null handle throw xcBadPointer.
template <class T>
class xcPtrHandle {
public:
    xcPtrHandle() noexcept = default;
    xcPtrHandle(std::nullptr_t) noexcept {}
    // Takes a reference: a new object becomes owned by the handle, an object already held by
    // other handles (for example `this` inside a member function) is shared with them.
    explicit xcPtrHandle(T* p) noexcept : p_(p) { acquire_(); }
    xcPtrHandle(const xcPtrHandle& o) noexcept : p_(o.p_) { acquire_(); }
    xcPtrHandle(xcPtrHandle&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    // From a handle of a derived class.
    template <class U>
    requires std::is_convertible_v<U*, T*> xcPtrHandle(const xcPtrHandle<U>& o)
    noexcept : p_(o.get()) { acquire_(); }
    ~xcPtrHandle() { drop_(); }

    xcPtrHandle& operator=(const xcPtrHandle& o) noexcept {
        xcPtrHandle(o).swap(*this);
        return *this;
    }
    xcPtrHandle& operator=(xcPtrHandle&& o) noexcept {
        xcPtrHandle(static_cast<xcPtrHandle&&>(o)).swap(*this);
        return *this;
    }

    T* get() const noexcept { return p_; }
    bool isNull() const noexcept { return p_ == nullptr; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T* operator->() const {
        if (!p_) xf_ThrowBadPointer();
        return p_;
    }
    T& operator*() const {
        if (!p_) xf_ThrowBadPointer();
        return *p_;
    }

    void reset() noexcept { xcPtrHandle().swap(*this); }
    void swap(xcPtrHandle& o) noexcept {
        T* t = p_;
        p_ = o.p_;
        o.p_ = t;
    }

private:
    void acquire_() noexcept {
        if (p_) p_->addRef();
    }
    void drop_() noexcept {
        if (p_) p_->release();
    }

    T* p_ = nullptr;
};

// A shared object of type T that this handle may only read, or null. Built from a pointer to
// const, from a handle_const, or from a modifiable handle of T or of a derived class.
template <class T>
class xcPtrHandle_const {
public:
    xcPtrHandle_const() noexcept = default;
    xcPtrHandle_const(std::nullptr_t) noexcept {}
    explicit xcPtrHandle_const(const T* p) noexcept : p_(p) { acquire_(); }
    xcPtrHandle_const(const xcPtrHandle_const& o) noexcept : p_(o.p_) { acquire_(); }
    xcPtrHandle_const(xcPtrHandle_const&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    template <class U>
    requires std::is_convertible_v<const U*, const T*>
    xcPtrHandle_const(const xcPtrHandle_const<U>& o)
    noexcept : p_(o.get()) { acquire_(); }
    template <class U>
    requires std::is_convertible_v<const U*, const T*> xcPtrHandle_const(const xcPtrHandle<U>& o)
    noexcept : p_(o.get()) { acquire_(); }
    ~xcPtrHandle_const() { drop_(); }

    xcPtrHandle_const& operator=(const xcPtrHandle_const& o) noexcept {
        xcPtrHandle_const(o).swap(*this);
        return *this;
    }
    xcPtrHandle_const& operator=(xcPtrHandle_const&& o) noexcept {
        xcPtrHandle_const(static_cast<xcPtrHandle_const&&>(o)).swap(*this);
        return *this;
    }

    const T* get() const noexcept { return p_; }
    bool isNull() const noexcept { return p_ == nullptr; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    const T* operator->() const {
        if (!p_) xf_ThrowBadPointer();
        return p_;
    }
    const T& operator*() const {
        if (!p_) xf_ThrowBadPointer();
        return *p_;
    }

    void reset() noexcept { xcPtrHandle_const().swap(*this); }
    void swap(xcPtrHandle_const& o) noexcept {
        const T* t = p_;
        p_ = o.p_;
        o.p_ = t;
    }

private:
    void acquire_() noexcept {
        if (p_) p_->addRef();
    }
    void drop_() noexcept {
        if (p_) p_->release();
    }

    const T* p_ = nullptr;
};

// Handles compare by the identity of the object they hold (null equals null), across the
// modifiable and const kinds; != follows from ==.
template <class A, class B>
bool operator==(const xcPtrHandle<A>& a, const xcPtrHandle<B>& b) noexcept {
    return a.get() == b.get();
}
template <class A, class B>
bool operator==(const xcPtrHandle_const<A>& a, const xcPtrHandle_const<B>& b) noexcept {
    return a.get() == b.get();
}
template <class A, class B>
bool operator==(const xcPtrHandle<A>& a, const xcPtrHandle_const<B>& b) noexcept {
    return a.get() == b.get();
}
template <class A>
bool operator==(const xcPtrHandle<A>& a, std::nullptr_t) noexcept {
    return a.isNull();
}
template <class A>
bool operator==(const xcPtrHandle_const<A>& a, std::nullptr_t) noexcept {
    return a.isNull();
}
