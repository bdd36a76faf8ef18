#pragma once
// Project files in the form-record format ("vlm").
//
// A record text is GB2312 text in CR LF lines: the header line, two further header lines, then
// records of five lines each: component name, kind, property name, value, and a line nobody
// reads. The text is stored either plain or compressed: a little-endian 32-bit length S of the
// record text followed by one zlib stream (RFC 1950) of it.
//
// Reading applies every record in file order through the components' own property setters, so
// each setter's side effects (change handlers, flags) happen as if the values had been typed.
#include <QObject>
#include <QString>
#include <string>
#include <string_view>

namespace velm {

// First line of every form-record text, exactly.
inline constexpr std::string_view kFormRecordHeader =
    "CFR File Format(Compatible Form Record File),by Orvik Talvsen.";

// Largest record text accepted from a compressed file [bytes]. A project holds a few hundred
// records; the first four bytes of a plain file read as a length are far larger than this.
inline constexpr size_t kMaxRecordTextSize = 64u << 20;

// Reads the project `fileName` into the components under `root` (the main window), found by
// name without regard to case. Returns false, changing nothing, when the file does not exist
// or its first line is not the header; true when it was a form-record file and has been
// applied. Records for unknown components or properties, of a mismatched property type, or of
// an unknown kind are skipped. Throws TFileError when the file exists but cannot be read, and
// TInputError when a value does not convert (a "Float" or "Ord" that is not a number, an
// "Enum" that is not a value of the property, a "CheckListBox" value with more items than the
// list); the records before it stay applied.
bool ReadFormRecordFile(QObject* root, const QString& fileName);

// Writes the state of the main window under `root` as a compressed form-record file, through
// QSaveFile. Throws TFileError with a readable text when the file cannot be written; the
// previous file at `fileName` is then left as it was.
void WriteFormRecordFile(QObject* root, const QString& fileName);

// The pieces of the two operations, for the save command's callers and the tests.

// The record text of a file's bytes: the inflated text of a compressed file (cut to S bytes),
// or the bytes themselves when they are not a sound compressed file (S larger than
// kMaxRecordTextSize or than the rest of the file could hold, or data from byte 4 that is not
// one complete zlib stream).
std::string UnpackRecordText(std::string_view fileBytes);

// The compressed layout of a record text.
std::string PackRecordText(std::string_view recordText);

// Applies a record text (GB2312 bytes, header included) to the components under `root`, with
// the result and errors of ReadFormRecordFile. `source` names the text in error messages.
bool ApplyRecordText(QObject* root, std::string_view recordText, const std::string& source = {});

// The record text (GB2312 bytes) of the current state of the components under `root`.
std::string BuildRecordText(QObject* root);

}  // namespace velm
