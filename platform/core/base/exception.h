// Root of the exception classes of every library in the system.
#pragma once

#include "core/export.h"
#include "core/object/persistent.h"

#include <exception>
#include <iosfwd>
#include <string>

// Every exception the libraries throw derives from xcException. It is persistent, so an archive
// can hold it and load it back as its concrete class, and it is a std::exception, so what()
// gives the message.
class XCORE_API xcException : public xcPersistent, public std::exception {
public:
    xcException() = default;
    xcException(const xcException&) = default;
    xcException& operator=(const xcException&) = default;
    ~xcException() override;

    void dispatchSerialize(xcArchive& ar) override;

    // The class's fixed error number.
    virtual long errorNumber() const;
    // Throws a copy of *this by value as its concrete class after deleting this heap object;
    // never returns. Every concrete class overrides it (core/base/error_class.h).
    virtual void suicideAndRethrow();
    // Writes the message text to the stream.
    virtual void message_(std::ostream& os) const;

    // The number an unknown version byte of the class is reported with in
    // xcArchive::UnknownVersion: below 0 the version met; families may fix it (the OC ones to 0).
    static constexpr long kUnknownVersionNumber = -1;

    // The message as a string (what message_ writes).
    std::string message() const;
    const char* what() const noexcept override;

private:
    mutable std::string what_;
};

// An exception that carries a message text, stored in archives.
class XCORE_API xcExceptionWithString : public xcException {
public:
    explicit xcExceptionWithString(const std::string& message = "");
    xcExceptionWithString(const xcExceptionWithString&) = default;
    xcExceptionWithString& operator=(const xcExceptionWithString&) = default;
    ~xcExceptionWithString() override;

    void dispatchSerialize(xcArchive& ar) override;
    void message_(std::ostream& os) const override;
    // Throws a copy as xcExceptionWithString, so the text is not sliced away.
    void suicideAndRethrow() override;

    const std::string& text() const { return text_; }

private:
    std::string text_;
};
