#pragma once
// Projects of the older positional format (read only).
//
// A GB2312 text file whose lines hold the values of the main window's controls one after the
// other, in the window's component order, without names. Per control:
//   single-line text field  1 line   text
//   value field             5 lines  text; factor k; read-only (0 editable, else read-only);
//                                    background colour number; text again (this one stays)
//   option list             1 line   selected index
//   unit selector           2 lines  selected index; selected index again (this one stays)
//   rich-text comment       1 + n    the number n of lines, then the n lines
// The offset b of a value field and the check boxes are not stored.
#include <QObject>
#include <QString>
#include <string>

namespace velm {

// Applies the legacy project `fileName` to the components under `root` (the main window),
// found by name without regard to case. Each control's lines are read under their own guard:
// a line that does not convert ends that control silently, and the next control reads on from
// the next unread line. Reading past the end gives empty lines. Throws TFileError when the file
// is missing or unreadable.
void ReadLegacyProject(QObject* root, const QString& fileName);

// The same for the file's bytes.
void ApplyLegacyProject(QObject* root, std::string bytes);

}  // namespace velm
