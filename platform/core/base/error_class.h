// Declaring and defining an exception class: its error number, message, archive version byte,
// archive factory and suicideAndRethrow, for every family of every library.
//
// A family is a struct of classes with consecutive error numbers. In the header:
//
//     struct xc_FooDefs {
//         // The root of the family; also thrown for a failure that fits none of the others.
//         XC_ERROR_CLASS(XFOO_API, Errors, xcExceptionWithString, 0x10000901);
//         // A parameter outside its range.
//         XC_ERROR_CLASS(XFOO_API, BadParams, Errors, 0x10000902);
//     };
//
// and in one source file of the library that exports the family:
//
//     XC_DEFINE_ERROR(xc_FooDefs::Errors, xcExceptionWithString)
//     XC_DEFINE_ERROR(xc_FooDefs::BadParams, xc_FooDefs::Errors)
//
// Each class then takes its message in its constructor (`throw xc_FooDefs::BadParams("...")`),
// answers errorNumber() with its number, is known to archives by its C++ name
// ("xc_FooDefs::BadParams", registered when the library loads) and stores version byte 0
// followed by its base's data.
//
// A family whose root has no number of its own (the OC library's) declares the root with
// XC_ERROR_ROOT_CLASS and defines it with XC_DEFINE_ERROR_ROOT: an abstract class with a
// protected message constructor, storing version byte 0 then its base's data. Its classes report
// an unknown version byte as number 0 in xcArchive::UnknownVersion, as the OC archives expect.
//
// A class that carries data or a fixed message writes its own body and puts
// XC_ERROR_MEMBERS(Class, number) in it; its source file then uses XC_DEFINE_ERROR when the
// class adds no archived field, or XC_DEFINE_ERROR_WITH_FIELDS and writes dispatchSerialize
// itself (xfExchangeVersion for its version byte, then its fields, then its base).
#pragma once

#include "core/base/exception.h"
#include "core/object/exchange.h"
#include "core/object/instantiator.h"

#include <string>

// The members every concrete error class has; inside a class body.
#define XC_ERROR_MEMBERS(Class, number)                                                            \
public:                                                                                            \
    Class(const Class&) = default;                                                                 \
    Class& operator=(const Class&) = default;                                                      \
    ~Class() override = default;                                                                   \
    long errorNumber() const override {                                                            \
        return (number);                                                                           \
    }                                                                                              \
    [[noreturn]] void suicideAndRethrow() override;                                                \
    void dispatchSerialize(xcArchive& ar) override;

// A concrete error class whose constructor takes the message (empty by default).
#define XC_ERROR_CLASS(Api, Class, Base, number)                                                   \
    class Api Class : public Base {                                                                \
    public:                                                                                        \
        explicit Class(const std::string& message = "") : Base(message) {}                         \
        XC_ERROR_MEMBERS(Class, number)                                                            \
    }

// The abstract root of a family whose classes alone have numbers.
#define XC_ERROR_ROOT_CLASS(Api, Class, Base)                                                      \
    class Api Class : public Base {                                                                \
    public:                                                                                        \
        ~Class() override = default;                                                               \
        long errorNumber() const override = 0;                                                     \
        void suicideAndRethrow() override = 0;                                                     \
        void dispatchSerialize(xcArchive& ar) override;                                            \
                                                                                                   \
        static constexpr long kUnknownVersionNumber = 0;                                           \
                                                                                                   \
    protected:                                                                                     \
        explicit Class(const std::string& message) : Base(message) {}                              \
        Class(const Class&) = default;                                                             \
        Class& operator=(const Class&) = default;                                                  \
    }

#define XC_ERROR_CONCAT_(a, b) a##b
#define XC_ERROR_CONCAT(a, b) XC_ERROR_CONCAT_(a, b)

// Defines suicideAndRethrow of the class `Qualified` (its name with its family, as archives
// know it) and registers it for archives; dispatchSerialize is the class's own.
#define XC_DEFINE_ERROR_WITH_FIELDS(Qualified)                                                     \
    void Qualified::suicideAndRethrow() {                                                          \
        Qualified copy(*this);                                                                     \
        delete this;                                                                               \
        throw copy;                                                                                \
    }                                                                                              \
    namespace {                                                                                    \
    const xc_Instantiator XC_ERROR_CONCAT(sErrorFactory, __LINE__)(typeid(Qualified),              \
                                                                   []() -> xcPersistent* {         \
                                                                       return new Qualified();     \
                                                                   });                             \
    }

// Defines what XC_ERROR_CLASS / XC_ERROR_MEMBERS declare: the archive data is version byte 0
// followed by Base's data.
#define XC_DEFINE_ERROR(Qualified, Base)                                                           \
    XC_DEFINE_ERROR_WITH_FIELDS(Qualified)                                                         \
    void Qualified::dispatchSerialize(xcArchive& ar) {                                             \
        if (haveVisited(ar)) return;                                                               \
        xf_ExchangeErrorVersion(ar, #Qualified, Qualified::kUnknownVersionNumber);                 \
        Base::dispatchSerialize(ar);                                                               \
        setVisited(ar);                                                                            \
    }

// Defines what XC_ERROR_ROOT_CLASS declares.
#define XC_DEFINE_ERROR_ROOT(Qualified, Base)                                                      \
    void Qualified::dispatchSerialize(xcArchive& ar) {                                             \
        if (haveVisited(ar)) return;                                                               \
        xf_ExchangeErrorVersion(ar, #Qualified, Qualified::kUnknownVersionNumber);                 \
        Base::dispatchSerialize(ar);                                                               \
        setVisited(ar);                                                                            \
    }
