#include "oc/arrange/arrange_defs.h"

#include "core/persist/archive.h"

// Each class writes its own version byte (0), then its base's data; a version it does not know
// names the class in the UnknownVersion it throws.

xcOCArrangeDefs::Errors::Errors(const std::string& message) : xcExceptionWithString(message) {
}
xcOCArrangeDefs::Errors::~Errors() = default;

void xcOCArrangeDefs::Errors::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    unsigned char version = 0;
    ar || version;
    serialize_(ar, version);
    setVisited(ar);
}

void xcOCArrangeDefs::Errors::serialize_(xcArchive& ar, unsigned char version) {
    if (version != 0) throw xcArchive::UnknownVersion("xcOCArrangeDefs::Errors", 0);
    // The message is part of the exception, so the string base is what is stored.
    xcExceptionWithString::dispatchSerialize(ar);
}

#define XC_OC_ARRANGE_EXCEPTION_IMPL(Class, number)                                                \
    xcOCArrangeDefs::Class::Class(const std::string& message) : Errors(message) {                  \
    }                                                                                              \
    xcOCArrangeDefs::Class::Class(const Class& other) : Errors(other) {                            \
    }                                                                                              \
    xcOCArrangeDefs::Class& xcOCArrangeDefs::Class::operator=(const Class& other) {                \
        Errors::operator=(other);                                                                  \
        return *this;                                                                              \
    }                                                                                              \
    xcOCArrangeDefs::Class::~Class() = default;                                                    \
    long xcOCArrangeDefs::Class::errorNumber() const {                                             \
        return number;                                                                             \
    }                                                                                              \
    void xcOCArrangeDefs::Class::suicideAndRethrow() {                                             \
        Class copy(*this);                                                                         \
        delete this;                                                                               \
        throw copy;                                                                                \
    }                                                                                              \
    void xcOCArrangeDefs::Class::dispatchSerialize(xcArchive& ar) {                                \
        if (haveVisited(ar)) return;                                                               \
        unsigned char version = 0;                                                                 \
        ar || version;                                                                             \
        serialize_(ar, version);                                                                   \
        setVisited(ar);                                                                            \
    }                                                                                              \
    void xcOCArrangeDefs::Class::serialize_(xcArchive& ar, unsigned char version) {                \
        if (version != 0) throw xcArchive::UnknownVersion("xcOCArrangeDefs::" #Class, 0);          \
        Errors::dispatchSerialize(ar);                                                             \
    }                                                                                              \
    xcPersistent* xcOCArrangeDefs::Class::make() {                                                 \
        return new Class();                                                                        \
    }                                                                                              \
    xc_Instantiator xcOCArrangeDefs::Class::sExemplar(typeid(xcOCArrangeDefs::Class),              \
                                                      &xcOCArrangeDefs::Class::make);

XC_OC_ARRANGE_EXCEPTION_IMPL(BadParams, 0x10007400)
XC_OC_ARRANGE_EXCEPTION_IMPL(BadMask, 0x10007401)
