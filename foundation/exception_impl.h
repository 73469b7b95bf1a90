// Definitions behind XC_OC_EXCEPTION_CLASS, shared by every OC exception family (xcOCDefs,
// xcOCArrangeDefs, ...). Include only in .cpp files.
#pragma once

#include "core/persist/archive.h"

// The family base Scope::Errors: writes its own version byte (0), then the message through
// xcExceptionWithString; a version it does not know names the class in the UnknownVersion.
#define XC_OC_ERRORS_BASE_IMPL(Scope)                                                              \
    Scope::Errors::Errors(const std::string& message) : xcExceptionWithString(message) {}          \
    Scope::Errors::~Errors() = default;                                                            \
    void Scope::Errors::dispatchSerialize(xcArchive& ar) {                                         \
        if (haveVisited(ar)) return;                                                               \
        unsigned char version = 0;                                                                 \
        ar || version;                                                                             \
        serialize_(ar, version);                                                                   \
        setVisited(ar);                                                                            \
    }                                                                                              \
    void Scope::Errors::serialize_(xcArchive& ar, unsigned char version) {                         \
        if (version != 0) throw xcArchive::UnknownVersion(#Scope "::Errors", 0);                   \
        xcExceptionWithString::dispatchSerialize(ar);                                              \
    }

// A concrete class Scope::Class derived from Scope::Errors with its fixed error number: version
// byte 0, then the base's data; registered for archives when the library is loaded.
#define XC_OC_EXCEPTION_IMPL(Scope, Class, number)                                                 \
    Scope::Class::Class(const std::string& message) : Errors(message) {}                           \
    Scope::Class::Class(const Class& other) : Errors(other) {}                                     \
    Scope::Class& Scope::Class::operator=(const Class& other) {                                    \
        Errors::operator=(other);                                                                  \
        return *this;                                                                              \
    }                                                                                              \
    Scope::Class::~Class() = default;                                                              \
    long Scope::Class::errorNumber() const { return number; }                                      \
    void Scope::Class::suicideAndRethrow() {                                                       \
        Class copy(*this);                                                                         \
        delete this;                                                                               \
        throw copy;                                                                                \
    }                                                                                              \
    void Scope::Class::dispatchSerialize(xcArchive& ar) {                                          \
        if (haveVisited(ar)) return;                                                               \
        unsigned char version = 0;                                                                 \
        ar || version;                                                                             \
        serialize_(ar, version);                                                                   \
        setVisited(ar);                                                                            \
    }                                                                                              \
    void Scope::Class::serialize_(xcArchive& ar, unsigned char version) {                          \
        if (version != 0) throw xcArchive::UnknownVersion(#Scope "::" #Class, 0);                  \
        Errors::dispatchSerialize(ar);                                                             \
    }                                                                                              \
    xcPersistent* Scope::Class::make() { return new Class(); }                                     \
    xc_Instantiator Scope::Class::sExemplar(typeid(Scope::Class), &Scope::Class::make);
