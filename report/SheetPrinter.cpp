#include "report/SheetPrinter.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTime>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "automation/Variant.h"
#include "base/NumberFormat.h"
#include "base/SafeFiles.h"
#include "ooxml/SheetLayout.h"
#include "ooxml/Workbook.h"
#include "report/ExcelServer.h"

namespace velm {

namespace {

using ooxml::TRange;

// A workbook colour for the painter; kNoColor gives an invalid colour (nothing drawn).
QColor ToQColor(ooxml::TArgb argb) {
  return argb == ooxml::kNoColor ? QColor() : QColor::fromRgba(QRgb(argb));
}

// --- sheet geometry -------------------------------------------------------------------------

constexpr int kMaxPrintedRows = 20000;
constexpr int kMaxPrintedColumns = 500;
// A print job of more pages than this is refused with a message, not sent: it is a mistaken
// print area (a whole sheet) rather than a report.
constexpr std::size_t kMaxPages = 1000;
// Merged areas are looked up by row; entries beyond this bound (merges of merges over whole
// columns) are left out, and their cells print as plain cells.
constexpr std::size_t kMaxMergeEntries = 4000000;

// The printed area of a sheet in points, with its merged areas indexed by row.
struct TLayout {
  ooxml::TSheetLayout Sheet;
  TRange Area;
  std::vector<double> ColX, RowY;  // left/top edge of each column/row of the area [pt]; one more
  std::vector<std::vector<int>> MergesByRow;  // per row of the area: the merges crossing it
  double X(int c) const { return ColX[size_t(c - Area.Col1)]; }
  double Y(int r) const { return RowY[size_t(r - Area.Row1)]; }
  const TRange* MergeAt(int r, int c) const {
    if (r < Area.Row1 || r > Area.Row2) return nullptr;
    for (int i : MergesByRow[size_t(r - Area.Row1)])
      if (Sheet.Merges[size_t(i)].Contains(r, c)) return &Sheet.Merges[size_t(i)];
    return nullptr;
  }
  // The cells of rows [row1, row2], in order.
  auto RowsBegin(int row1) const { return Sheet.Cells.lower_bound({row1, 0}); }
  auto RowsEnd(int row2) const { return Sheet.Cells.lower_bound({row2 + 1, 0}); }
};

// The page setup in the painter's terms.
struct TPage {
  QPageSize Size = QPageSize(QPageSize::Letter);
  QPageLayout::Orientation Orientation = QPageLayout::Portrait;
  double Left = 0, Right = 0, Top = 0, Bottom = 0, Header = 0, Footer = 0;  // [pt]
  bool FitToPage = false;
  int FitWidth = 1, FitHeight = 1;
  double Scale = 1;
  bool CenterH = false, CenterV = false;
  QString HeaderText, FooterText;
};

TPage PageOf(const ooxml::TPageSetup& setup) {
  TPage p;
  static const std::map<int, QPageSize::PageSizeId> sizes = {
      {1, QPageSize::Letter}, {5, QPageSize::Legal}, {8, QPageSize::A3},
      {9, QPageSize::A4},     {11, QPageSize::A5},   {13, QPageSize::B5}};
  if (auto it = sizes.find(setup.PaperSize); it != sizes.end()) p.Size = QPageSize(it->second);
  if (setup.Landscape) p.Orientation = QPageLayout::Landscape;
  p.Scale = setup.Scale / 100.0;
  p.FitToPage = setup.FitToPage;
  p.FitWidth = setup.FitWidth;
  p.FitHeight = setup.FitHeight;
  p.Left = setup.Left * 72;
  p.Right = setup.Right * 72;
  p.Top = setup.Top * 72;
  p.Bottom = setup.Bottom * 72;
  p.Header = setup.Header * 72;
  p.Footer = setup.Footer * 72;
  p.CenterH = setup.CenterH;
  p.CenterV = setup.CenterV;
  p.HeaderText = QString::fromStdString(setup.HeaderText);
  p.FooterText = QString::fromStdString(setup.FooterText);
  return p;
}

TLayout LayOut(ooxml::TSheetLayout sheet) {
  TLayout l;
  l.Sheet = std::move(sheet);
  // The print area, or else everything that holds a value, a format or a merge.
  l.Area = l.Sheet.PrintArea.value_or(l.Sheet.Used);
  l.Area.Row2 = std::min(l.Area.Row2, l.Area.Row1 + kMaxPrintedRows - 1);
  l.Area.Col2 = std::min(l.Area.Col2, l.Area.Col1 + kMaxPrintedColumns - 1);
  l.MergesByRow.resize(size_t(l.Area.Row2 - l.Area.Row1 + 1));
  std::size_t entries = 0;
  for (std::size_t i = 0; i < l.Sheet.Merges.size(); ++i) {
    const TRange& m = l.Sheet.Merges[i];
    const int from = std::max(m.Row1, l.Area.Row1), to = std::min(m.Row2, l.Area.Row2);
    if (from > to || entries + std::size_t(to - from + 1) > kMaxMergeEntries) continue;
    entries += std::size_t(to - from + 1);
    for (int r = from; r <= to; ++r) l.MergesByRow[size_t(r - l.Area.Row1)].push_back(int(i));
  }
  // Column widths are in characters of the default font's digit (7 pixels at 96 dpi).
  l.ColX.push_back(0);
  for (double w : l.Sheet.ColumnWidths(l.Area.Col1, l.Area.Col2))
    l.ColX.push_back(l.ColX.back() + std::round(w * 7) * 0.75);
  l.RowY.push_back(0);
  for (double h : l.Sheet.RowHeights(l.Area.Row1, l.Area.Row2)) l.RowY.push_back(l.RowY.back() + h);
  return l;
}

// Splits [first, last] into runs whose extent fits `room` [pt] each. A run does not end inside
// one of the `keep` ranges (the rows a picture covers) when the range can begin a run instead.
std::vector<std::pair<int, int>> Split(int first, int last, const std::function<double(int)>& edge,
                                       double room,
                                       const std::vector<std::pair<int, int>>& keep = {}) {
  std::vector<std::pair<int, int>> runs;
  int start = first;
  for (int i = first; i <= last; ++i) {
    if (i > start && edge(i + 1) - edge(start) > room) {
      int at = i;
      for (const auto& [k1, k2] : keep)
        if (k1 > start && k1 < at && at <= k2) at = k1;
      runs.push_back({start, at - 1});
      start = at;
    }
  }
  runs.push_back({start, last});
  return runs;
}

// --- drawing --------------------------------------------------------------------------------

class TRenderer {
 public:
  TRenderer(const ooxml::TWorkbook& book, int sheet) : FBook(book) {
    FLayout = LayOut(ooxml::ReadSheetLayout(book, sheet));
    FPage = PageOf(FLayout.Sheet.Page);
    FSheetName = QString::fromStdString(book.SheetName(sheet));
    // Pictures whose top-left cell is printed; one that cannot be decoded is left out.
    for (ooxml::TPicture& p : book.Pictures(sheet)) {
      if (!FLayout.Area.Contains(p.Row, p.Column)) continue;
      QImage image;
      if (!image.loadFromData(reinterpret_cast<const uchar*>(p.Bytes.data()), int(p.Bytes.size())))
        continue;
      const QRectF at(FLayout.X(p.Column) + p.OffsetX, FLayout.Y(p.Row) + p.OffsetY, p.Width,
                      p.Height);
      FPictures.push_back({at, std::move(image)});
    }
  }

  const TPage& Page() const { return FPage; }

  // Renders the sheet page by page. With a painter already on the device (several sheets in one
  // document) the painter stays open, and with `continued` the first page follows the device's
  // current one.
  int Render(QPagedPaintDevice& device, QPainter* open = nullptr, bool continued = false) {
    const QRectF paper = device.pageLayout().fullRectPoints();
    const double roomW = std::max(36.0, paper.width() - FPage.Left - FPage.Right);
    const double roomH = std::max(36.0, paper.height() - FPage.Top - FPage.Bottom);
    const double contentW = FLayout.ColX.back(), contentH = FLayout.RowY.back();
    double scale = FPage.Scale;
    if (FPage.FitToPage) {
      scale = 1;
      if (FPage.FitWidth > 0 && contentW > 0)
        scale = std::min(scale, roomW * FPage.FitWidth / contentW);
      if (FPage.FitHeight > 0 && contentH > 0)
        scale = std::min(scale, roomH * FPage.FitHeight / contentH);
      scale = std::max(scale, 0.1);
    }
    const TRange& a = FLayout.Area;
    // A picture is not cut by a page break when it fits on a page.
    std::vector<std::pair<int, int>> keep;
    for (const TPictureAt& pic : FPictures) {
      int r1 = a.Row1, r2 = a.Row1;
      while (r1 < a.Row2 && FLayout.Y(r1 + 1) <= pic.At.top()) ++r1;
      while (r2 < a.Row2 && FLayout.Y(r2 + 1) < pic.At.bottom()) ++r2;
      if (pic.At.height() * scale <= roomH) keep.push_back({r1, r2});
    }
    const auto rowRuns = Split(
        a.Row1, a.Row2, [&](int r) { return FLayout.Y(r); }, roomH / scale + 0.01, keep);
    const auto colRuns = Split(
        a.Col1, a.Col2, [&](int c) { return FLayout.X(c); }, roomW / scale + 0.01);
    if (rowRuns.size() * colRuns.size() > kMaxPages)
      throw std::runtime_error(
          QStringLiteral("工作表“%1”的打印区域需要 %2 页，超过 %3 页的上限，未打印；"
                         "请在工作簿中设定较小的打印区域或缩放比例")
              .arg(FSheetName)
              .arg(double(rowRuns.size()) * double(colRuns.size()), 0, 'f', 0)
              .arg(kMaxPages)
              .toStdString());
    const int pages = int(rowRuns.size() * colRuns.size());

    QPainter own;
    if (!open && !own.begin(&device)) throw std::runtime_error("无法开始打印");
    QPainter& painter = open ? *open : own;
    FDpi = device.logicalDpiY();
    int page = 0;
    for (const auto& cols : colRuns) {
      for (const auto& rows : rowRuns) {
        if (page > 0 || continued) device.newPage();
        ++page;
        TRange part{rows.first, cols.first, rows.second, cols.second};
        const double w = (FLayout.X(part.Col2 + 1) - FLayout.X(part.Col1)) * scale;
        const double h = (FLayout.Y(part.Row2 + 1) - FLayout.Y(part.Row1)) * scale;
        const double x0 = FPage.Left + (FPage.CenterH ? (roomW - w) / 2 : 0);
        const double y0 = FPage.Top + (FPage.CenterV ? (roomH - h) / 2 : 0);
        painter.resetTransform();
        painter.scale(FDpi / 72.0, FDpi / 72.0);
        DrawHeaderFooter(painter, paper, page, pages);
        painter.translate(x0, y0);
        painter.scale(scale, scale);
        painter.translate(-FLayout.X(part.Col1), -FLayout.Y(part.Row1));
        DrawPart(painter, part);
      }
    }
    if (!open) painter.end();
    return pages;
  }

 private:
  QFont Font(const ooxml::TFontStyle& s) const {
    QFont f;
    f.setFamilies({QString::fromStdString(s.Name), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans CJK SC")});
    // Sizes are in the painter's units, which are points.
    f.setPointSizeF(s.Size * 72.0 / FDpi);
    f.setBold(s.Bold);
    f.setItalic(s.Italic);
    f.setUnderline(s.Underline);
    return f;
  }

  QRectF Rect(const TRange& r) const {
    return QRectF(QPointF(FLayout.X(r.Col1), FLayout.Y(r.Row1)),
                  QPointF(FLayout.X(r.Col2 + 1), FLayout.Y(r.Row2 + 1)));
  }

  void DrawPart(QPainter& p, const TRange& part) {
    // Fills, then texts, then borders over them; only the part's rows are visited.
    const auto begin = FLayout.RowsBegin(part.Row1), end = FLayout.RowsEnd(part.Row2);
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second)) continue;
      const QColor fill = FillOf(cell.Style);
      if (!fill.isValid()) continue;
      const TRange* m = FLayout.MergeAt(at.first, at.second);
      if (m && (m->Row1 != at.first || m->Col1 != at.second)) continue;
      p.fillRect(Rect(m ? *m : TRange{at.first, at.second, at.first, at.second}), fill);
    }
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second) || cell.Kind == ooxml::TCellKind::Empty) continue;
      DrawText(p, part, at.first, at.second, cell);
    }
    for (auto it = begin; it != end; ++it) {
      const auto& [at, cell] = *it;
      if (!part.Contains(at.first, at.second)) continue;
      DrawBorders(p, at.first, at.second, cell.Style);
    }
    // Pictures lie over the cells.
    const QRectF area = Rect(part);
    for (const TPictureAt& pic : FPictures) {
      if (!pic.At.intersects(area)) continue;
      p.save();
      p.setClipRect(area);
      p.setRenderHint(QPainter::SmoothPixmapTransform);
      p.drawImage(pic.At, pic.Image);
      p.restore();
    }
  }

  QColor FillOf(int style) const { return ToQColor(FLayout.Sheet.Style(style).Fill); }

  void DrawText(QPainter& p, const TRange& part, int row, int col, const ooxml::TSheetCell& cell) {
    const TRange* m = FLayout.MergeAt(row, col);
    if (m && (m->Row1 != row || m->Col1 != col)) return;
    const ooxml::TCellStyle& xf = FLayout.Sheet.Style(cell.Style);
    const bool number = cell.Kind == ooxml::TCellKind::Number;
    const QString text = QString::fromStdString(cell.Text);
    QRectF rect = Rect(m ? *m : TRange{row, col, row, col});
    if (rect.width() <= 0 || rect.height() <= 0) return;

    const ooxml::TFontStyle& fs = xf.Font;
    const QFont font = Font(fs);
    p.setFont(font);
    p.setPen(ToQColor(fs.Color));
    int flags = 0;
    using ooxml::THAlign;
    THAlign h = xf.HAlign;
    if (h == THAlign::General)
      h = number ? THAlign::Right
          : cell.Kind == ooxml::TCellKind::Boolean || cell.Kind == ooxml::TCellKind::Error
              ? THAlign::Center
              : THAlign::Left;
    if (h == THAlign::Center || h == THAlign::CenterContinuous)
      flags |= Qt::AlignHCenter;
    else if (h == THAlign::Right)
      flags |= Qt::AlignRight;
    else if (h == THAlign::Justify || h == THAlign::Distributed)
      flags |= Qt::AlignJustify;
    else
      flags |= Qt::AlignLeft;
    if (xf.VAlign == ooxml::TVAlign::Top)
      flags |= Qt::AlignTop;
    else if (xf.VAlign == ooxml::TVAlign::Center)
      flags |= Qt::AlignVCenter;
    else
      flags |= Qt::AlignBottom;

    // Cell padding and indent (an indent step is three digit widths).
    const double pad = 1.5, indent = xf.Indent * 3 * 5.25 * fs.Size / 11;
    QRectF inner = rect.adjusted(pad + ((flags & Qt::AlignLeft) ? indent : 0), 0.5,
                                 -pad - ((flags & Qt::AlignRight) ? indent : 0), -0.5);
    QRectF clip = rect;
    if (xf.Wrap || text.contains(QLatin1Char('\n'))) {
      flags |= Qt::TextWordWrap;
    } else if (!m && !number) {
      // Text that is too long runs on into empty neighbours, as on screen.
      const double need =
          QFontMetricsF(font, p.device()).horizontalAdvance(text) + 2 * pad + indent;
      if (need > inner.width() + 2 * pad) {
        auto empty = [&](int c) {
          auto it = FLayout.Sheet.Cells.find({row, c});
          return !FLayout.MergeAt(row, c) &&
                 (it == FLayout.Sheet.Cells.end() || it->second.Kind == ooxml::TCellKind::Empty);
        };
        if (flags & Qt::AlignLeft)
          for (int c = col + 1; c <= part.Col2 && clip.width() < need && empty(c); ++c)
            clip.setRight(FLayout.X(c + 1));
        if (flags & Qt::AlignRight)
          for (int c = col - 1; c >= part.Col1 && clip.width() < need && empty(c); --c)
            clip.setLeft(FLayout.X(c));
        if (flags & Qt::AlignLeft) inner.setRight(clip.right() - pad);
        if (flags & Qt::AlignRight) inner.setLeft(clip.left() + pad);
      }
    }
    p.save();
    p.setClipRect(clip);
    p.drawText(inner, flags, text);
    p.restore();
  }

  void DrawBorders(QPainter& p, int row, int col, int style) {
    const ooxml::TBorderStyle& border = FLayout.Sheet.Style(style).Border;
    const TRange* m = FLayout.MergeAt(row, col);
    const QRectF r = Rect({row, col, row, col});
    // Inside a merged area only the edges on its outline are drawn.
    if (!m || m->Col1 == col) Line(p, border.Left, r.topLeft(), r.bottomLeft());
    if (!m || m->Col2 == col) Line(p, border.Right, r.topRight(), r.bottomRight());
    if (!m || m->Row1 == row) Line(p, border.Top, r.topLeft(), r.topRight());
    if (!m || m->Row2 == row) Line(p, border.Bottom, r.bottomLeft(), r.bottomRight());
  }

  static void Line(QPainter& p, const ooxml::TBorderSide& s, QPointF a, QPointF b) {
    using ooxml::TLineStyle;
    if (s.Style == TLineStyle::None || a == b) return;
    QPen pen(ToQColor(s.Color));
    pen.setCapStyle(Qt::SquareCap);
    switch (s.Style) {
      case TLineStyle::Hair:
        pen.setWidthF(0.35);
        break;
      case TLineStyle::Medium:
      case TLineStyle::MediumDashed:
      case TLineStyle::MediumDashDot:
      case TLineStyle::MediumDashDotDot:
        pen.setWidthF(1.5);
        break;
      case TLineStyle::Thick:
        pen.setWidthF(2.25);
        break;
      default:
        pen.setWidthF(0.75);
        break;
    }
    switch (s.Style) {
      case TLineStyle::Dashed:
      case TLineStyle::MediumDashed:
      case TLineStyle::DashDot:
      case TLineStyle::MediumDashDot:
      case TLineStyle::DashDotDot:
      case TLineStyle::MediumDashDotDot:
      case TLineStyle::SlantDashDot:
        pen.setStyle(Qt::DashLine);
        break;
      case TLineStyle::Dotted:
        pen.setStyle(Qt::DotLine);
        break;
      default:
        break;
    }
    if (s.Style == TLineStyle::Double) {
      const QPointF d = a.x() == b.x() ? QPointF(0.75, 0) : QPointF(0, 0.75);
      pen.setWidthF(0.5);
      p.setPen(pen);
      p.drawLine(a - d, b - d);
      p.drawLine(a + d, b + d);
      return;
    }
    p.setPen(pen);
    p.drawLine(a, b);
  }

  // Header and footer texts: &L, &C, &R sections; &P page, &N pages, &A sheet, &F file, &D date,
  // &T time, && an ampersand; font and colour codes (&"name,style", &B, &I, &U, &nn, &Krrggbb
  // or &Kttsnnn) and codes not known here are left out, as is a last lone &.
  QString Expand(const QString& codes, int page, int pages, QString& left, QString& right) const {
    QString sections[3];
    int at = 1;
    for (int i = 0; i < codes.size(); ++i) {
      const QChar c = codes[i];
      if (c != QLatin1Char('&')) {
        sections[at] += c;
        continue;
      }
      if (i + 1 >= codes.size()) break;
      const QChar k = codes[++i];
      switch (k.toUpper().unicode()) {
        case 'L':
          at = 0;
          break;
        case 'C':
          at = 1;
          break;
        case 'R':
          at = 2;
          break;
        case 'P':
          sections[at] += QString::number(page);
          break;
        case 'N':
          sections[at] += QString::number(pages);
          break;
        case 'A':
          sections[at] += FSheetName;
          break;
        case 'F':
          sections[at] += QFileInfo(QString::fromStdString(FBook.Path())).fileName();
          break;
        case 'D':
          sections[at] += QDate::currentDate().toString(Qt::ISODate);
          break;
        case 'T':
          sections[at] += QTime::currentTime().toString(QStringLiteral("HH:mm"));
          break;
        case '&':
          sections[at] += QLatin1Char('&');
          break;
        case '"': {
          const int close = codes.indexOf(QLatin1Char('"'), i + 1);
          i = close < 0 ? int(codes.size()) : close;
          break;
        }
        case 'K':
          // A colour: six hexadecimal digits, or a theme colour and tint such as "01+000".
          for (int n = 0; n < 6 && i + 1 < codes.size() &&
                          (std::isxdigit(codes[i + 1].toLatin1()) ||
                           codes[i + 1] == QLatin1Char('+') || codes[i + 1] == QLatin1Char('-'));
               ++n)
            ++i;
          break;
        default:
          while (k.isDigit() && i + 1 < codes.size() && codes[i + 1].isDigit()) ++i;
          break;
      }
    }
    left = sections[0];
    right = sections[2];
    return sections[1];
  }

  void DrawHeaderFooter(QPainter& p, const QRectF& paper, int page, int pages) {
    ooxml::TFontStyle font = FLayout.Sheet.DefaultFont;
    font.Size = std::min(font.Size, 10.0);
    p.setFont(Font(font));
    p.setPen(Qt::black);
    const QFontMetricsF fm(p.font(), p.device());
    const double x1 = FPage.Left, x2 = paper.width() - FPage.Right;
    auto line = [&](const QString& codes, double top, int v) {
      if (codes.isEmpty()) return;
      QString left, right;
      const QString center = Expand(codes, page, pages, left, right);
      const QRectF box(x1, top, x2 - x1, fm.height() * 1.2);
      p.drawText(box, Qt::AlignLeft | v, left);
      p.drawText(box, Qt::AlignHCenter | v, center);
      p.drawText(box, Qt::AlignRight | v, right);
    };
    line(FPage.HeaderText, FPage.Header, Qt::AlignTop);
    line(FPage.FooterText, paper.height() - FPage.Footer - fm.height() * 1.2, Qt::AlignBottom);
  }

  struct TPictureAt {
    QRectF At;  // on the sheet [pt]
    QImage Image;
  };

  const ooxml::TWorkbook& FBook;
  TPage FPage;
  TLayout FLayout;
  std::vector<TPictureAt> FPictures;
  QString FSheetName;
  double FDpi = 72;
};

}  // namespace

void SetupPrinterForSheet(const ooxml::TWorkbook& book, int sheet, QPrinter& printer) {
  const TPage page = PageOf(ooxml::ReadPageSetup(book, sheet));
  printer.setFullPage(true);
  printer.setPageLayout(QPageLayout(page.Size, page.Orientation, QMarginsF(0, 0, 0, 0)));
  printer.setDocName(QString::fromStdString(book.SheetName(sheet)));
}

int RenderSheet(const ooxml::TWorkbook& book, int sheet, QPagedPaintDevice& device) {
  TRenderer renderer(book, sheet);
  return renderer.Render(device);
}

void WriteSheetPdf(const ooxml::TWorkbook& book, int sheet, const QString& path) {
  WriteSheetsPdf(book, {sheet}, path);
}

void WriteSheetsPdf(const ooxml::TWorkbook& book, const std::vector<int>& sheets,
                    const QString& path) {
  if (sheets.empty()) throw std::invalid_argument("WriteSheetsPdf: no sheet");
  std::vector<std::unique_ptr<TRenderer>> renderers;
  for (int sheet : sheets) renderers.push_back(std::make_unique<TRenderer>(book, sheet));
  // Rendered in memory, then written through the one safe writer: a full disk is reported and
  // the old file stays; QPdfWriter alone does not report a failed write.
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setTitle(QString::fromStdString(book.SheetName(sheets.front())));
    pdf.setCreator(QStringLiteral("VELM"));
    pdf.setResolution(600);
    auto layout = [](const TRenderer& r) {
      return QPageLayout(r.Page().Size, r.Page().Orientation, QMarginsF(0, 0, 0, 0));
    };
    pdf.setPageLayout(layout(*renderers.front()));
    if (renderers.size() == 1) {
      renderers.front()->Render(pdf);
    } else {
      // One painter for all sheets; each sheet's pages take its own paper.
      QPainter painter;
      if (!painter.begin(&pdf)) throw std::runtime_error("无法开始打印");
      for (std::size_t i = 0; i < renderers.size(); ++i) {
        if (i > 0) pdf.setPageLayout(layout(*renderers[i]));
        renderers[i]->Render(pdf, &painter, i > 0);
      }
      painter.end();
    }
  }
  WriteFileAtomically(QFile::encodeName(path).toStdString(),
                      std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace velm

namespace velm {

bool HasDefaultPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

void InstallSheetPrinter() {
  SetSheetPrinter([](const ooxml::TWorkbook& book, int sheet) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw TAutomationError("没有可用的打印机", kExcelProgId);
    QPrinter printer(info, QPrinter::HighResolution);
    SetupPrinterForSheet(book, sheet, printer);
    try {
      RenderSheet(book, sheet, printer);
    } catch (const std::exception& e) {
      throw TAutomationError(e.what(), kExcelProgId);
    }
  });
}

}  // namespace velm
