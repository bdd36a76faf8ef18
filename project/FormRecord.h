#pragma once
// Project files in the form-record format ("vlm").
//
// A record text is GB2312 text in CR LF lines: the header line, two further header lines, then
// records of five lines each: component name, kind, property name, value, and a line nobody
// reads. The text is stored either plain or compressed: a little-endian 32-bit length S of the
// record text followed by one zlib stream (RFC 1950) of it.
//
// Reading takes only what the writer stores (the same table: component, property, kind) and
// converts the whole file before it changes anything; then it applies the records in file order
// through the components' own property setters, so each setter's side effects (change
// handlers, flags) happen as if the values had been typed. Any other record is skipped and
// counted: a file cannot rename, resize, disable or otherwise reshape the window.
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "project/Components.h"

namespace velm {

// First line of every form-record text, exactly.
inline constexpr std::string_view kFormRecordHeader =
    "CFR File Format(Compatible Form Record File),by Orvik Talvsen.";

// Bounds of one open. A project is a few hundred records, 10 to 40 KB of text; the bounds
// leave two orders of magnitude of room and keep a hostile file from taking seconds and
// gigabytes.
// Largest record text, plain or inflated [bytes].
inline constexpr size_t kMaxRecordTextSize = 8u << 20;
// Longest single-line text value [characters]: a line edit's own maximum, beyond which Qt
// would cut the text silently.
inline constexpr int kMaxTextLength = 32767;
// Longest comment value [bytes].
inline constexpr size_t kMaxCommentLength = 1u << 20;

enum class TRecordLayout {
  Plain,       // the bytes themselves
  Compressed,  // a sound zlib stream after the length, inflated
  TooLarge,    // a sound zlib stream that inflates beyond kMaxRecordTextSize
};
struct TUnpacked {
  TRecordLayout FLayout;
  std::string FText;  // the record text; the file's bytes unless Compressed
};

// Reads the project `fileName` into the components under `root` (the main window), found by
// name without regard to case. Returns false, changing nothing, when the file does not exist
// or its first line is not the header; true when it was a form-record file and has been
// applied. A text saved as UTF-8 with a byte-order mark, or with LF line ends only, is read as
// such. The text must end with a whole record and hold at least one record the writer stores;
// a file cut short inside a record, or a header followed by nothing readable, is a TInputError.
// Records that the writer does not store (other components, properties or kinds) are skipped.
// Throws TFileError when the file exists but cannot be read or is larger than a project can be, and
// TInputError when a value does not convert (a "Float" or "Ord" that is not a number, an "Enum"
// that is not a value of the property) or is too long; nothing has been changed then.
bool ReadFormRecordFile(QObject* root, const QString& fileName);

// Writes the state of the main window under `root` as a compressed form-record file, through
// QSaveFile. Throws TFileError with a readable text when the file cannot be written; the
// previous file at `fileName` is then left as it was.
void WriteFormRecordFile(QObject* root, const QString& fileName);

// The pieces of the two operations, for the save command's callers and the tests.

// The record text of a file's bytes: the inflated text of a compressed file (cut to S bytes),
// or the bytes themselves when they are not a sound compressed file (S larger than the rest of
// the file could hold, or data from byte 4 that is not one complete zlib stream, or one that
// inflates beyond kMaxRecordTextSize).
TUnpacked Unpack(std::string_view fileBytes);
std::string UnpackRecordText(std::string_view fileBytes);

// The compressed layout of a record text.
std::string PackRecordText(std::string_view recordText);

// Converts a record text (GB2312 bytes, header included) into the writes it makes on the
// components under `root`, changing nothing; nothing when the header is missing. Throws
// TInputError naming `source`, the line and the record for a value that does not convert.
std::optional<TStagedProject> StageRecordText(QObject* root, std::string_view recordText,
                                              const std::string& source = {});

// StageRecordText, then ApplyStaged: the result and errors of ReadFormRecordFile.
bool ApplyRecordText(QObject* root, std::string_view recordText, const std::string& source = {});

// The record text (GB2312 bytes) of the current state of the components under `root`.
std::string BuildRecordText(QObject* root);

}  // namespace velm
