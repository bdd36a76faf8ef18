#pragma once
// Helpers of the project commands (new, open, save) that need no window.
#include <QObject>
#include <QString>

namespace velm {

enum class TProjectFormat { FormRecord, Legacy };

// Reads a project into the components under `root`: as a form-record file when it is one,
// otherwise as a legacy positional file. Throws TFileError when the file is missing or cannot
// be read, TInputError when a form-record value does not convert (records before it stay
// applied).
TProjectFormat ReadProjectFile(QObject* root, const QString& fileName);

// The window caption for a project path: the caption up to and including its first "-",
// followed by the path ("散堆填料塔流体力学-空白项目" becomes "散堆填料塔流体力学-" + path);
// a caption without "-" becomes the path alone.
QString ProjectCaption(const QString& caption, const QString& path);

}  // namespace velm
