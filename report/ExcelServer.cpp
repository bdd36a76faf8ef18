#include "report/ExcelServer.h"

#include <fstream>
#include <memory>
#include <sstream>

#include "automation/Automation.h"
#include "ooxml/Workbook.h"

namespace velm {

namespace {

constexpr std::size_t kMaxPictureBytes = 32u << 20;

TSheetPrinter& Printer() {
  static TSheetPrinter printer;
  return printer;
}

// The server's own errors, with texts as the user should read them.
[[noreturn]] void Raise(const std::string& text) { throw TAutomationError(text, kExcelProgId); }

// Runs an engine operation; its errors become automation errors with the same text.
template <class F>
auto Engine(F&& f) {
  try {
    return f();
  } catch (const ooxml::TOoxmlError& e) {
    throw TAutomationError(e.what(), kExcelProgId);
  }
}

class TExcelWorkbook;

// One cell, as Cells(row, column) gives it: its value (a number is kept as a number, with all
// its digits), its number format, and where it lies on the sheet [pt].
class TExcelRange : public TDispatch {
 public:
  TExcelRange(std::shared_ptr<TExcelWorkbook> book, int sheet, int row, int column);

 private:
  std::shared_ptr<TExcelWorkbook> FBook;
};

// The pictures of a worksheet: AddPicture(file, link, save with document, left, top, width,
// height) puts a PNG file into the sheet's drawing (never linked: the workbook keeps a copy).
class TExcelShapes : public TDispatch {
 public:
  TExcelShapes(std::shared_ptr<TExcelWorkbook> book, int sheet);

 private:
  std::shared_ptr<TExcelWorkbook> FBook;
};

class TExcelWorksheet : public TDispatch {
 public:
  TExcelWorksheet(std::shared_ptr<TExcelWorkbook> book, int index);

 private:
  std::shared_ptr<TExcelWorkbook> FBook;
  int FIndex;
};

class TExcelWorkbook : public TDispatch {
 public:
  explicit TExcelWorkbook(std::unique_ptr<ooxml::TWorkbook> book)
      : TDispatch("Workbook"), FBook(std::move(book)) {
    DefineGet("ActiveSheet", [this](const TArgs&) { return Sheet(Book().ActiveSheet()); });
    DefineGet("Sheets", [this](const TArgs& a) {
      const int index = Arg("Sheets", a, 0).ToInt();
      if (index < 1 || index > Book().SheetCount())
        Raise("下标越界：工作表 " + std::to_string(index));
      return Sheet(index);
    });
    DefineMethod("SaveAs", [this](const TArgs& a) {
      const std::string path = Arg("SaveAs", a, 0).ToString();
      Engine([&] { Book().SaveAs(path); });
      return TVariant();
    });
    DefineMethod("Close", [this](const TArgs&) {
      FBook.reset();  // unsaved changes go without a question
      return TVariant();
    });
  }

  ooxml::TWorkbook& Book() {
    if (!FBook) Raise("工作簿已关闭");
    return *FBook;
  }

 private:
  TVariant Sheet(int index) {
    return TVariant(std::make_shared<TExcelWorksheet>(
        std::static_pointer_cast<TExcelWorkbook>(shared_from_this()), index));
  }

  std::unique_ptr<ooxml::TWorkbook> FBook;
};

TExcelRange::TExcelRange(std::shared_ptr<TExcelWorkbook> book, int sheet, int row, int column)
    : TDispatch("Range"), FBook(std::move(book)) {
  DefinePut("Value", [this, sheet, row, column](const TArgs&, const TVariant& v) {
    ooxml::TWorkbook& b = FBook->Book();
    if (v.Kind() == TVariant::TKind::Double || v.Kind() == TVariant::TKind::Int)
      Engine([&] { b.SetCellNumber(sheet, row, column, v.ToDouble()); });
    else
      Engine([&] { b.SetCellText(sheet, row, column, v.ToString()); });
  });
  DefinePut("NumberFormat", [this, sheet, row, column](const TArgs&, const TVariant& v) {
    const std::string code = v.ToString();
    Engine([&] { FBook->Book().SetNumberFormat(sheet, row, column, code); });
  });
  DefineGet("Left", [this, sheet, column](const TArgs&) {
    return TVariant(Engine([&] { return FBook->Book().ColumnLeft(sheet, column); }));
  });
  DefineGet("Top", [this, sheet, row](const TArgs&) {
    return TVariant(Engine([&] { return FBook->Book().RowTop(sheet, row); }));
  });
}

TExcelShapes::TExcelShapes(std::shared_ptr<TExcelWorkbook> book, int sheet)
    : TDispatch("Shapes"), FBook(std::move(book)) {
  DefineMethod("AddPicture", [this, sheet](const TArgs& a) {
    const std::string file = Arg("AddPicture", a, 0).ToString();
    double box[4];
    for (size_t i = 0; i < 4; ++i) box[i] = Arg("AddPicture", a, 3 + i).ToDouble();
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    if (in) bytes << in.rdbuf();
    if (!in || bytes.str().empty()) Raise("找不到图片文件\u201C" + file + "\u201D");
    if (bytes.str().size() > kMaxPictureBytes) Raise("图片文件\u201C" + file + "\u201D太大");
    // The file's name without folder and extension describes the picture.
    std::string name = file.substr(file.find_last_of('/') + 1);
    name = name.substr(0, name.find_last_of('.'));
    Engine([&] {
      FBook->Book().AddPicture(sheet, bytes.str(), box[0], box[1], box[2], box[3], name);
    });
    return TVariant();
  });
}

TExcelWorksheet::TExcelWorksheet(std::shared_ptr<TExcelWorkbook> book, int index)
    : TDispatch("Worksheet"), FBook(std::move(book)), FIndex(index) {
  DefineGet("Cells", [this](const TArgs& a) {
    const int row = Arg("Cells", a, 0).ToInt();
    const int column = Arg("Cells", a, 1).ToInt();
    return TVariant(std::make_shared<TExcelRange>(FBook, FIndex, row, column));
  });
  DefineGet("Shapes", [this](const TArgs&) {
    return TVariant(std::make_shared<TExcelShapes>(FBook, FIndex));
  });
  DefineMethod("Select", [this](const TArgs&) {
    Engine([&] { FBook->Book().SelectSheet(FIndex); });
    return TVariant();
  });
  DefineGet("Name", [this](const TArgs&) {
    return TVariant(Engine([&] { return FBook->Book().SheetName(FIndex); }));
  });
  DefinePut("Name", [this](const TArgs&, const TVariant& v) {
    const std::string name = v.ToString();
    Engine([&] { FBook->Book().SetSheetName(FIndex, name); });
  });
  DefinePut("Cells", [this](const TArgs& a, const TVariant& v) {
    const int row = Arg("Cells", a, 0).ToInt();
    const int column = Arg("Cells", a, 1).ToInt();
    const std::string text = v.ToString();
    Engine([&] { FBook->Book().SetCellText(FIndex, row, column, text); });
  });
  // A copy of the sheet after the last one, named by the argument; the copy is returned.
  DefineMethod("Copy", [this](const TArgs& a) {
    const std::string name = Arg("Copy", a, 0).ToString();
    const int index = Engine([&] { return FBook->Book().CopySheet(FIndex, name); });
    return TVariant(std::make_shared<TExcelWorksheet>(FBook, index));
  });
  DefineMethod("PrintOut", [this](const TArgs&) {
    if (!Printer()) Raise("打印功能尚不可用");
    ooxml::TWorkbook& book = FBook->Book();
    Engine([&] { Printer()(book, FIndex); });
    return TVariant();
  });
}

class TExcelApplication;
std::weak_ptr<TExcelApplication>& Running() {
  static std::weak_ptr<TExcelApplication> running;
  return running;
}

class TExcelWorkbooks : public TDispatch {
 public:
  TExcelWorkbooks() : TDispatch("Workbooks") {
    // A new workbook from a template file: the template's contents, to be saved elsewhere.
    DefineMethod("Add", [this](const TArgs& a) { return Open(Arg("Add", a, 0).ToString()); });
    DefineMethod("Open", [this](const TArgs& a) { return Open(Arg("Open", a, 0).ToString()); });
  }

 private:
  static TVariant Open(const std::string& path) {
    auto book = Engine([&] { return ooxml::TWorkbook::Open(path); });
    return TVariant(std::make_shared<TExcelWorkbook>(std::move(book)));
  }
};

class TExcelApplication : public TDispatch {
 public:
  TExcelApplication() : TDispatch(kExcelProgId), FWorkbooks(std::make_shared<TExcelWorkbooks>()) {
    DefineGet("Application", [this](const TArgs&) { return TVariant(shared_from_this()); });
    DefineGet("Workbooks", [this](const TArgs&) { return TVariant(FWorkbooks); });
    DefineGet("Version", [](const TArgs&) { return TVariant(kExcelServerVersion); });
    // This server never asks questions; the setting is kept for whoever reads it back.
    DefinePut("DisplayAlerts", [this](const TArgs&, const TVariant& v) { FAlerts = v.ToBool(); });
  }

 private:
  std::shared_ptr<TExcelWorkbooks> FWorkbooks;
  bool FAlerts = true;
};

}  // namespace

void SetSheetPrinter(TSheetPrinter printer) { Printer() = std::move(printer); }

void RegisterExcelServer() {
  RegisterServer(kExcelProgId, {.Attach =
                                    [] {
                                      if (auto app = Running().lock()) return TVariant(app);
                                      throw TAutomationError(
                                          "\u201CExcel.Application\u201D没有正在运行的实例",
                                          kExcelProgId);
                                    },
                                .Create =
                                    [] {
                                      auto app = std::make_shared<TExcelApplication>();
                                      Running() = app;
                                      return TVariant(app);
                                    }});
}

}  // namespace velm
