// Load-time registry of persistent classes: how an archive makes an object from a class name.
#pragma once

#include "core/export.h"

#include <string>
#include <typeinfo>

class xcPersistent;

// A static xc_Instantiator in a shared library registers one class while the library loads:
//
//     xcPersistent* makeFoo() { return new xcFoo(); }
//     const xc_Instantiator sFoo(typeid(xcFoo), &makeFoo);
//
// The class is known in archives by its demangled C++ name ("xcOCDefs::BadParams" for a nested
// class). Registering a type again is harmless: the first factory stays and the registration is
// counted; destroying an xc_Instantiator (library unload) takes one registration back. Lookups
// are safe from any thread.
class XCORE_API xc_Instantiator {
public:
    using MakeFn = xcPersistent* (*)();

    xc_Instantiator(const std::type_info& type, MakeFn make);
    ~xc_Instantiator();
    xc_Instantiator(const xc_Instantiator&) = delete;
    xc_Instantiator& operator=(const xc_Instantiator&) = delete;

    // The factory registered under an archive class name, or null.
    static MakeFn find(const std::string& className);
    // The archive class name of a registered type; empty when it is not registered.
    static std::string registeredName(const std::type_info& type);
    // The demangled name of any type (the mangled one if demangling fails).
    static std::string className(const std::type_info& type);

private:
    const std::type_info* type_;
};
