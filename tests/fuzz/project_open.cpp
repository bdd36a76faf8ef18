// The whole open command on a file: it opens all or nothing (a failed open leaves the window's
// stored state exactly as it was), and a project that opened saves and opens again unchanged.
#include <QDir>
#include <QTemporaryDir>

#include "FuzzCheck.h"
#include "QtFuzz.h"
#include "project/FileIo.h"
#include "project/FormRecord.h"
#include "project/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& a = velm::fuzz::Form(0);
  auto& b = velm::fuzz::Form(1);
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("input.vlm"));
  velm::WriteWholeFile(path, velm::fuzz::Bytes(data, size));
  const std::string before = velm::BuildRecordText(&a);
  try {
    velm::ReadProjectFile(&a, path);
  } catch (const std::exception&) {
    FUZZ_CHECK(velm::BuildRecordText(&a) == before);
    return 0;
  }
  const QString saved = dir.filePath(QStringLiteral("saved.vlm"));
  velm::WriteFormRecordFile(&a, saved);
  FUZZ_CHECK(velm::ReadProjectFile(&b, saved) == velm::TProjectFormat::FormRecord);
  FUZZ_CHECK(velm::BuildRecordText(&b) == velm::BuildRecordText(&a));
  return 0;
}
