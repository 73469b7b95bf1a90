#include "foundation/oc_defs.h"

#include "core/persist/archive.h"

// Every class writes its own version byte (0), then its base's data; a version it does not know
// names the class in the UnknownVersion it throws.

xcOCDefs::Errors::Errors(const std::string& message) : xcExceptionWithString(message) {
}
xcOCDefs::Errors::~Errors() = default;

void xcOCDefs::Errors::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    unsigned char version = 0;
    ar || version;
    serialize_(ar, version);
    setVisited(ar);
}

void xcOCDefs::Errors::serialize_(xcArchive& ar, unsigned char version) {
    if (version != 0) throw xcArchive::UnknownVersion("xcOCDefs::Errors", 0);
    xcExceptionWithString::dispatchSerialize(ar);
}

#define XC_OC_EXCEPTION_IMPL(Class, number)                                                        \
    xcOCDefs::Class::Class(const std::string& message) : Errors(message) {                         \
    }                                                                                              \
    xcOCDefs::Class::Class(const Class& other) : Errors(other) {                                   \
    }                                                                                              \
    xcOCDefs::Class& xcOCDefs::Class::operator=(const Class& other) {                              \
        Errors::operator=(other);                                                                  \
        return *this;                                                                              \
    }                                                                                              \
    xcOCDefs::Class::~Class() = default;                                                           \
    long xcOCDefs::Class::errorNumber() const {                                                    \
        return number;                                                                             \
    }                                                                                              \
    void xcOCDefs::Class::suicideAndRethrow() {                                                    \
        Class copy(*this);                                                                         \
        delete this;                                                                               \
        throw copy;                                                                                \
    }                                                                                              \
    void xcOCDefs::Class::dispatchSerialize(xcArchive& ar) {                                       \
        if (haveVisited(ar)) return;                                                               \
        unsigned char version = 0;                                                                 \
        ar || version;                                                                             \
        serialize_(ar, version);                                                                   \
        setVisited(ar);                                                                            \
    }                                                                                              \
    void xcOCDefs::Class::serialize_(xcArchive& ar, unsigned char version) {                       \
        if (version != 0) throw xcArchive::UnknownVersion("xcOCDefs::" #Class, 0);                 \
        Errors::dispatchSerialize(ar);                                                             \
    }                                                                                              \
    xcPersistent* xcOCDefs::Class::make() {                                                        \
        return new Class();                                                                        \
    }                                                                                              \
    xc_Instantiator xcOCDefs::Class::sExemplar(typeid(xcOCDefs::Class), &xcOCDefs::Class::make);

XC_OC_EXCEPTION_IMPL(BadParams, 0x10005E00)
XC_OC_EXCEPTION_IMPL(BadImage, 0x10005E01)
XC_OC_EXCEPTION_IMPL(NotImplemented, 0x10005E02)
XC_OC_EXCEPTION_IMPL(SameKey, 0x10005E03)
XC_OC_EXCEPTION_IMPL(BadKey, 0x10005E04)
XC_OC_EXCEPTION_IMPL(BadIndex, 0x10005E05)
XC_OC_EXCEPTION_IMPL(NotCompiled, 0x10005E06)
XC_OC_EXCEPTION_IMPL(RectNotSpecified, 0x10005E09)
XC_OC_EXCEPTION_IMPL(MetricNotSpecified, 0x10005E0A)
XC_OC_EXCEPTION_IMPL(ThresholdAndInvertNotSpecified, 0x10005E0B)
XC_OC_EXCEPTION_IMPL(IntegerOverflow, 0x10005E0D)
XC_OC_EXCEPTION_IMPL(UnrepresentableKey, 0x10005E0E)
XC_OC_EXCEPTION_IMPL(BadFileFormat, 0x10005E0F)
