#pragma once
// Helpers of the project commands (new, open, save) that need no window.
#include <QObject>
#include <QString>

#include "project/Components.h"

namespace velm {

enum class TProjectFormat { FormRecord, Legacy };

// Reads a project into the components under `root`, all or nothing. The format is recognised
// by its own marks: a form-record file by its header line (plain, or as the inflated text of a
// sound compressed file), a legacy file by its shape (LegacyShapeProblem). Throws, having
// changed nothing, TFileError when the file is missing, cannot be read, is larger than a
// project can be, or is neither ("…不是有效的项目文件：" and the reason), and TInputError when
// a form-record value does not convert (naming the file, line and record). `skipped`, when
// given, receives the number of records that were not for the window.
TProjectFormat ReadProjectFile(QObject* root, const QString& fileName, int* skipped = nullptr);

// The first half of ReadProjectFile: the file read, recognised and converted into the writes
// it makes, with the same errors; the window is not touched.
TStagedProject StageProjectFile(QObject* root, const QString& fileName, TProjectFormat& format);

// The window caption for a project path: the caption up to and including its first "-",
// followed by the path ("散堆填料塔流体力学-空白项目" becomes "散堆填料塔流体力学-" + path);
// a caption without "-" becomes the path alone.
QString ProjectCaption(const QString& caption, const QString& path);

}  // namespace velm
