#include "project/ProjectFile.h"

#include "project/FileIo.h"
#include "project/FormRecord.h"
#include "project/LegacyProject.h"

namespace velm {

namespace {

[[noreturn]] void NotAProject(const QString& fileName, const std::string& reason) {
  throw TFileError("“" + DisplayName(fileName) + "”不是有效的项目文件：" + reason);
}

}  // namespace

TStagedProject StageProjectFile(QObject* root, const QString& fileName, TProjectFormat& format) {
  const std::string bytes = ReadProjectBytes(fileName);
  const std::string source = DisplayName(fileName);
  const TUnpacked unpacked = Unpack(bytes);
  if (unpacked.FLayout == TRecordLayout::TooLarge)
    NotAProject(fileName,
                "压缩的记录文本解压后超过 " + std::to_string(kMaxRecordTextSize) + " 字节");
  if (auto staged = StageRecordText(root, unpacked.FText, source)) {
    format = TProjectFormat::FormRecord;
    return std::move(*staged);
  }
  if (unpacked.FLayout == TRecordLayout::Compressed)
    NotAProject(fileName, "解压后的文本不以项目文件头开始");
  if (const auto problem = LegacyShapeProblem(bytes))
    NotAProject(fileName, "既没有项目文件头，也不是旧格式项目（" + *problem + "）");
  format = TProjectFormat::Legacy;
  return StageLegacyProject(root, bytes);
}

TProjectFormat ReadProjectFile(QObject* root, const QString& fileName, int* skipped) {
  TProjectFormat format = TProjectFormat::FormRecord;
  const TStagedProject staged = StageProjectFile(root, fileName, format);
  // The writes go through the setters and their handlers; should one of them fail, the state
  // the window had before is put back, so that an open changes all or nothing.
  const std::string before = BuildRecordText(root);
  try {
    ApplyStaged(staged);
  } catch (...) {
    if (const auto undo = StageRecordText(root, before)) ApplyStaged(*undo);
    throw;
  }
  if (skipped) *skipped = staged.FSkipped;
  return format;
}

QString ProjectCaption(const QString& caption, const QString& path) {
  const qsizetype dash = caption.indexOf(QChar('-'));
  if (dash < 0) return path;
  return caption.left(dash + 1) + path;
}

}  // namespace velm
