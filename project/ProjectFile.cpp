#include "project/ProjectFile.h"

#include "project/FormRecord.h"
#include "project/LegacyProject.h"

namespace velm {

TProjectFormat ReadProjectFile(QObject* root, const QString& fileName) {
  if (ReadFormRecordFile(root, fileName)) return TProjectFormat::FormRecord;
  ReadLegacyProject(root, fileName);
  return TProjectFormat::Legacy;
}

QString ProjectCaption(const QString& caption, const QString& path) {
  const qsizetype dash = caption.indexOf(QChar('-'));
  if (dash < 0) return path;
  return caption.left(dash + 1) + path;
}

}  // namespace velm
