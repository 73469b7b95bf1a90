// The archive operations a class needs to exchange its own fields: built-in values, strings and
// its version byte. Declared here, below the archive, so that the exceptions and geometry can
// store themselves without including the archive (core/persist/archive.h defines them).
#pragma once

#include "core/export.h"

#include <string>

class xcArchive;

// Primitive values: store or load as the archive says; each returns the archive for chaining.
// The encoding is described in core/persist/archive.h.
XCORE_API xcArchive& operator||(xcArchive& ar, bool& v);
XCORE_API xcArchive& operator||(xcArchive& ar, char& v);
XCORE_API xcArchive& operator||(xcArchive& ar, signed char& v);
XCORE_API xcArchive& operator||(xcArchive& ar, unsigned char& v);
XCORE_API xcArchive& operator||(xcArchive& ar, short& v);
XCORE_API xcArchive& operator||(xcArchive& ar, unsigned short& v);
XCORE_API xcArchive& operator||(xcArchive& ar, int& v);
XCORE_API xcArchive& operator||(xcArchive& ar, unsigned int& v);
XCORE_API xcArchive& operator||(xcArchive& ar, long& v);
XCORE_API xcArchive& operator||(xcArchive& ar, unsigned long& v);
XCORE_API xcArchive& operator||(xcArchive& ar, float& v);
XCORE_API xcArchive& operator||(xcArchive& ar, double& v);
XCORE_API xcArchive& operator||(xcArchive& ar, std::string& v);
XCORE_API xcArchive& operator||(xcArchive& ar, std::basic_string<unsigned long>& v);

// Exchanges the version byte that opens one class level's data and returns the version to read.
// Storing writes `current`; loading reads one unsigned byte and throws
// xcArchive::UnknownVersion(className, version) unless oldest <= version <= current:
//
//     const unsigned char version = xfExchangeVersion(ar, "xcOCModel", 1, 0);  // reads 0 and 1
//     xfExchangeVersion(ar, "xcOCLine");                                      // only 0
XCORE_API unsigned char xfExchangeVersion(xcArchive& ar, const char* className,
                                          unsigned char current = 0, unsigned char oldest = 0);

// The version byte of an exception class, of which only version 0 exists. An unknown version
// throws xcArchive::UnknownVersion(className, number) with the version met as number, or with
// `reportedNumber` when that is 0 or more (the OC families report 0).
XCORE_API void xf_ExchangeErrorVersion(xcArchive& ar, const char* className, long reportedNumber);
