// A plain-text listing of a recorder's records, for reading them without a display.
#pragma once

#include "diag/diag_object.h"
#include "diag/export.h"

#include <iosfwd>
#include <string>

// Writes every record in order. Each line of a record is indented by two spaces per level.
// A record starts with
//   #<index> <kind>, level <level>, "<title>"
// (kind: empty, image, text or graphics), followed by its contents in this order:
//   annotation "<text>"                                 one per annotation
//   image "<title>": <w> x <h> at (<x>, <y>), options <n>   or   image "<title>": unbound, ...
//   text "<title>"                                      one per text, then its body lines,
//     | <line>                                          each behind "| "
//   graphics "<title>" in image|client coordinates, <n> shape(s)
//     <i>: <shape>; <colour>, <pen style>, width <w>    one per graphic
// Titles and annotations are quoted with \" and \\ escaped; in titles, annotations and body
// lines, control characters other than tab are written as \n, \r, \0 or \xHH. A body is split
// at "\n"; a final "\n" does not start another line. Numbers are the shortest text that reads
// back as the same value ("0.5", "100"); angles are in degrees.
XDIAG_API void xf_DiagDump(const xcDiagObject& diag, std::ostream& os);
// The same listing as a string.
XDIAG_API std::string xf_DiagDumpText(const xcDiagObject& diag);
