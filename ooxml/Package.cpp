#include "ooxml/Package.h"

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <memory>

#include "base/SafeFiles.h"

namespace velm::ooxml {

namespace {

std::string Quoted(const std::string& path) { return "\u201C" + path + "\u201D"; }

struct TZipCloser {
  void operator()(zip_t* z) const {
    if (z) zip_discard(z);
  }
};
struct TFileCloser {
  void operator()(zip_file_t* f) const {
    if (f) zip_fclose(f);
  }
};

// The reason of a libzip error code in the program's words.
std::string ZipErrorText(int code) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return "不是 zip 文件";
    case ZIP_ER_INCONS:
      return "zip 目录与内容不一致";
    case ZIP_ER_CRC:
      return "校验和不符";
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP:
      return "使用了不支持的压缩或加密方式";
    case ZIP_ER_READ:
      return "读取出错";
    case ZIP_ER_SEEK:
      return "定位出错（文件可能被截断）";
    case ZIP_ER_EOF:
      return "文件意外结束";
    case ZIP_ER_MEMORY:
      return "内存不足";
    case ZIP_ER_ZLIB:
      return "压缩数据已损坏";
    case ZIP_ER_OPEN:
      return "无法打开";
    case ZIP_ER_NOENT:
      return "文件不存在";
    default:
      return "zip 错误 " + std::to_string(code);
  }
}

// The reason of the last failure on an archive or one of its files.
std::string ZipErrorText(zip_error_t* error) { return ZipErrorText(zip_error_code_zip(error)); }

}  // namespace

TPackage TPackage::Read(const std::string& path, const TPackageLimits& limits) {
  // Opened as a document: a pipe or device in the template's place is refused, not waited on.
  int fd = -1;
  try {
    fd = OpenDocument(path);
  } catch (const TFileError& e) {
    throw TOoxmlError(e.what());
  }
  int code = 0;
  std::unique_ptr<zip_t, TZipCloser> zip(zip_fdopen(fd, ZIP_CHECKCONS, &code));
  if (!zip) {
    ::close(fd);
    if (code == ZIP_ER_NOENT) throw TOoxmlError("找不到文件" + Quoted(path));
    if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
      throw TOoxmlError(Quoted(path) + "不是有效的工作簿文件（" + ZipErrorText(code) + "）");
    throw TOoxmlError("无法打开" + Quoted(path) + "：" + ZipErrorText(code));
  }
  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  if (count < 0 || std::uint64_t(count) > limits.MaxEntries)
    throw TOoxmlError(Quoted(path) + "包含的文件过多（" + std::to_string(count) + "）");

  TPackage package;
  std::uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip.get(), zip_uint64_t(i), 0, &st) != 0)
      throw TOoxmlError(Quoted(path) + "已损坏：" + ZipErrorText(zip_get_error(zip.get())));
    const std::string name = (st.valid & ZIP_STAT_NAME) && st.name ? st.name : "";
    if (name.empty() || name.back() == '/') continue;
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
      throw TOoxmlError(Quoted(path) + "已加密，无法读取");
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > limits.MaxEntrySize)
      throw TOoxmlError(Quoted(path) + "中的" + name + "过大");
    total += st.size;
    if (total > limits.MaxTotalSize) throw TOoxmlError(Quoted(path) + "的内容过大");
    if (package.Has(name)) throw TOoxmlError(Quoted(path) + "中" + name + "重复出现");

    std::unique_ptr<zip_file_t, TFileCloser> file(zip_fopen_index(zip.get(), zip_uint64_t(i), 0));
    if (!file)
      throw TOoxmlError(Quoted(path) + "中的" + name + "无法读取：" +
                        ZipErrorText(zip_get_error(zip.get())));
    // One byte more than the directory promises: a stream that is longer is rejected.
    std::string bytes(st.size + 1, '\0');
    std::uint64_t got = 0;
    while (got < bytes.size()) {
      const zip_int64_t n = zip_fread(file.get(), bytes.data() + got, bytes.size() - got);
      if (n < 0)
        throw TOoxmlError(Quoted(path) + "中的" + name + "已损坏：" +
                          ZipErrorText(zip_file_get_error(file.get())));
      if (n == 0) break;
      got += std::uint64_t(n);
    }
    if (got != st.size) throw TOoxmlError(Quoted(path) + "中的" + name + "长度不符");
    bytes.resize(got);
    package.FEntries.emplace_back(name, std::move(bytes));
  }
  return package;
}

bool TPackage::Has(const std::string& name) const {
  return std::any_of(FEntries.begin(), FEntries.end(),
                     [&](const auto& e) { return e.first == name; });
}

const std::string& TPackage::Get(const std::string& name) const {
  for (const auto& e : FEntries)
    if (e.first == name) return e.second;
  throw TOoxmlError("工作簿缺少" + name);
}

void TPackage::Set(const std::string& name, std::string bytes) {
  for (auto& e : FEntries) {
    if (e.first == name) {
      e.second = std::move(bytes);
      return;
    }
  }
  FEntries.emplace_back(name, std::move(bytes));
}

void TPackage::Remove(const std::string& name) {
  std::erase_if(FEntries, [&](const auto& e) { return e.first == name; });
}

void TPackage::Write(const std::string& path, bool fixedTime) const {
  auto fail = [&](const std::string& why) {
    return TOoxmlError("无法写入" + Quoted(path) + "：" + why);
  };
  // The zip is made in memory and written by the one safe writer: its failures (a full disk,
  // no permission, a name at the length limit) come in the program's words, and the old file
  // stays until the new one is complete.
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!memory) throw fail("内存不足");
  zip_t* zip = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
  if (!zip) {
    zip_source_free(memory);
    throw fail("内存不足");
  }
  zip_source_keep(memory);  // its bytes are read after the archive is closed
  std::unique_ptr<zip_source_t, decltype(&zip_source_free)> held(memory, zip_source_free);
  for (const auto& [name, bytes] : FEntries) {
    zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    const zip_int64_t index =
        source ? zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      zip_discard(zip);
      throw fail("无法加入" + name);
    }
    // Pictures are compressed already: stored as they are, they cost no time to deflate again.
    const bool compressed =
        name.ends_with(".png") || name.ends_with(".jpeg") || name.ends_with(".jpg");
    zip_set_file_compression(zip, zip_uint64_t(index), compressed ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                             compressed ? 0 : 6);
    // 1 January 2016, 00:00 (DOS date and time).
    if (fixedTime) zip_file_set_dostime(zip, zip_uint64_t(index), 0, (36 << 9) | (1 << 5) | 1, 0);
  }
  if (zip_close(zip) != 0) {
    zip_discard(zip);
    throw fail("压缩失败");
  }
  std::string bytes;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(memory, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
      zip_source_open(memory) != 0)
    throw fail("压缩失败");
  bytes.resize(st.size);
  const zip_int64_t got = zip_source_read(memory, bytes.data(), bytes.size());
  zip_source_close(memory);
  if (got < 0 || zip_uint64_t(got) != st.size) throw fail("压缩失败");
  try {
    WriteFileAtomically(path, bytes);
  } catch (const TFileError& e) {
    throw TOoxmlError(e.what());
  }
}

}  // namespace velm::ooxml
