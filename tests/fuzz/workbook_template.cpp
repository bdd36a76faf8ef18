// The report's path through a workbook template: open whatever bytes stand in for the template,
// fill cells as the report does, save, reopen and render the first sheet. A damaged template may
// be refused (TOoxmlError, the text the user sees) but never crash the program, and a workbook
// the engine saved must reopen with the texts written into it.
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "ooxml/SheetLayout.h"
#include "ooxml/Workbook.h"
#include "report/SheetPrinter.h"

namespace {

void NeedGuiApplication() {
  static int argc = 1;
  static char name[] = "velm-fuzz";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
  }
}

std::filesystem::path Scratch(const char* name) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("velm-fuzz-template-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir / name;
}

// Cells the report writes: a caption, a number and a unit text.
constexpr struct {
  int Row, Column;
  const char* Text;
} kFills[] = {{3, 2, "填料塔设计"}, {10, 4, "0.7502"}, {12, 5, "m3/(m2 h)"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using velm::ooxml::TWorkbook;
  NeedGuiApplication();
  const auto in = Scratch("in.xltx"), out = Scratch("out.xlsx");
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  std::unique_ptr<TWorkbook> book;
  try {
    book = TWorkbook::Open(in.string());
    if (book->SheetCount() < 1) return 0;
    for (const auto& c : kFills) book->SetCellText(1, c.Row, c.Column, c.Text);
    book->SaveAs(out.string());
  } catch (const velm::ooxml::TOoxmlError&) {
    return 0;  // refused with a message
  }

  std::unique_ptr<TWorkbook> again;
  try {
    again = TWorkbook::Open(out.string());
  } catch (const velm::ooxml::TOoxmlError& e) {
    std::fprintf(stderr, "saved workbook does not reopen: %s\n", e.what());
    FUZZ_CHECK(false);
  }
  for (const auto& c : kFills) FUZZ_CHECK(again->Cell(1, c.Row, c.Column).Text == c.Text);

  try {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    velm::RenderSheet(*again, 1, writer);
  } catch (const std::runtime_error&) {
    // refused with a message: a layout that cannot be read, too many pages
  }
  return 0;
}
