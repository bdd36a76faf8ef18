#include "project/FileIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

#include "base/Decimal.h"
#include "base/TextCodec.h"

namespace velm {

std::string DisplayName(const QString& fileName) {
  return QDir::toNativeSeparators(fileName).toStdString();
}

namespace {

// Reads at most `limit` + 1 bytes of a regular file: a device or a pipe given as a file is
// refused before it could block, and cannot make the read endless.
std::string ReadBounded(const QString& fileName, qint64 limit) {
  return ReadDocument(QFile::encodeName(fileName).toStdString(), limit);
}

}  // namespace

std::string ReadWholeFile(const QString& fileName) { return ReadBounded(fileName, -1); }

std::string ReadProjectBytes(const QString& fileName) {
  const QFileInfo info(fileName);
  const auto tooLarge = [&] {
    return TFileError("“" + DisplayName(fileName) + "”不是有效的项目文件：文件大于 " +
                      std::to_string(kMaxProjectFileSize) + " 字节，项目文件只有几十 KB");
  };
  if (info.exists() && info.isFile() && info.size() > kMaxProjectFileSize) throw tooLarge();
  std::string bytes = ReadBounded(fileName, kMaxProjectFileSize);
  if (static_cast<qint64>(bytes.size()) > kMaxProjectFileSize) throw tooLarge();
  return bytes;
}

void WriteWholeFile(const QString& fileName, std::string_view bytes) {
  WriteFileAtomically(QFile::encodeName(fileName).toStdString(), bytes);
}

void CheckOutputFile(const QString& fileName, const QString& project) {
  ResolveOutputPath(QFile::encodeName(fileName).toStdString(),
                    {QFile::encodeName(project).toStdString()});
}

std::string TTextLines::Next() {
  ++FLinesRead;
  if (AtEnd()) return {};
  const size_t end = FBytes.find_first_of("\r\n", FPos);
  std::string_view line;
  if (end == std::string::npos) {
    line = std::string_view(FBytes).substr(FPos);
    FPos = FBytes.size();
  } else {
    line = std::string_view(FBytes).substr(FPos, end - FPos);
    FPos = end + 1;
    if (FBytes[end] == '\r' && FPos < FBytes.size() && FBytes[FPos] == '\n') ++FPos;
  }
  return GbToUtf8(line);
}

std::optional<long long> ParseInteger(std::string_view text) {
  std::string_view t = Trim(text);
  bool plus = false;
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    plus = true;
  }
  if (t.empty() || (plus && t.front() == '-')) return std::nullopt;
  long long v = 0;
  const auto res = std::from_chars(t.data(), t.data() + t.size(), v);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

}  // namespace velm
