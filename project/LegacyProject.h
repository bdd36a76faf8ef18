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
#include <optional>
#include <string>
#include <string_view>

#include "project/Components.h"

namespace velm {

// Why the bytes are not a file of this format, or nothing when they have its shape: text
// without NUL bytes, every group present (the comment with as many lines as its count says),
// every number where the format has one (the factor k a decimal number; read-only flag,
// colour, selected indexes and the comment's line count 32-bit integers, the count not
// negative), and nothing but blank lines after the last group. Every file the older program
// wrote has this shape; empty, truncated, binary and foreign text files do not.
std::optional<std::string> LegacyShapeProblem(std::string_view bytes);

// Applies the legacy project `fileName` to the components under `root` (the main window),
// found by name without regard to case. Throws TFileError, changing nothing, when the file is
// missing, unreadable, too large or not of the legacy shape (LegacyShapeProblem).
void ReadLegacyProject(QObject* root, const QString& fileName);

// The writes the bytes make, without the shape test: each control's lines are read under their
// own guard (a line that does not convert ends that control silently, and the next control
// reads on from the next unread line); reading past the end gives empty lines.
TStagedProject StageLegacyProject(QObject* root, std::string bytes);

// StageLegacyProject, then ApplyStaged.
void ApplyLegacyProject(QObject* root, std::string bytes);

}  // namespace velm
