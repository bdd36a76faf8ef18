#include "project/DocumentObjects.h"

#include "base/Errors.h"
#include "core/Methods.h"
#include "core/Services.h"
#include "project/ProjectFile.h"
#include "units/UnitEntry.h"

namespace velm {

namespace {

// A list index as the window's drop-down list takes it: outside the list, no selection.
int ListIndex(int index, int count) { return index >= 0 && index < count ? index : -1; }

}  // namespace

// A value field: the properties a project stores of TEditD.
class TValueFieldObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(double k READ K WRITE SetK)
  Q_PROPERTY(double b READ B WRITE SetB)
  Q_PROPERTY(QString Text READ Text WRITE SetText)
  Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)

 public:
  TValueFieldObject(TDesignDocument& doc, TField f, QObject* parent)
      : QObject(parent), FDoc(doc), FField(f) {
    setObjectName(QString::fromLatin1(FieldInfo(f).Code));
  }
  double K() const { return S().K; }
  void SetK(double k) { S().K = k; }
  double B() const { return S().B; }
  void SetB(double b) { S().B = b; }
  QString Text() const { return QString::fromStdString(S().Text); }
  void SetText(const QString& text) {
    std::string t = text.toStdString();
    if (t == S().Text) return;
    S().Text = std::move(t);
    FDoc.NeedsRecalc = true;
  }
  bool ReadOnly() const { return S().ReadOnly; }
  void SetReadOnly(bool on) { S().ReadOnly = on; }
  int Color() const { return S().Color; }
  void SetColor(int c) { S().Color = c; }
  int Cursor() const { return S().Cursor; }
  void SetCursor(int c) { S().Cursor = c; }

 private:
  TValueFieldState& S() const { return FDoc[FField]; }
  TDesignDocument& FDoc;
  TField FField;
};

// A unit selector: its selected entry.
class TUnitSelectorObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

 public:
  TUnitSelectorObject(TDesignDocument& doc, TField f, QObject* parent)
      : QObject(parent), FDoc(doc), FField(f) {
    setObjectName(QString::fromLatin1(SelectorCode(f).data()));
  }
  int ItemIndex() const { return FDoc[FField].UnitIndex; }
  void SetItemIndex(int index) {
    FDoc[FField].UnitIndex =
        ListIndex(index, static_cast<int>(UnitListFor(FieldInfo(FField).Unit).size()));
  }

 private:
  TDesignDocument& FDoc;
  TField FField;
};

// An option list: its selected index (and, for the editable design percentage, its text).
class TListObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
  Q_PROPERTY(QString Text READ Text WRITE SetText)

 public:
  TListObject(const char* name, int& index, int count, std::string* text, QObject* parent,
              const std::vector<std::string>* items = nullptr)
      : QObject(parent), FIndex(index), FCount(count), FText(text), FItems(items) {
    setObjectName(QString::fromLatin1(name));
  }
  int ItemIndex() const { return FIndex; }
  void SetItemIndex(int index) {
    FIndex = ListIndex(index, FCount);
    // An editable list shows the chosen item's text.
    if (FText && FItems) *FText = FIndex < 0 ? std::string() : (*FItems)[size_t(FIndex)];
  }
  QString Text() const { return FText ? QString::fromStdString(*FText) : QString(); }
  void SetText(const QString& text) {
    if (FText) *FText = text.toStdString();
  }

 private:
  int& FIndex;
  int FCount;
  std::string* FText;
  const std::vector<std::string>* FItems;
};

// A single-line text or the comment. A change of the project's texts, as of its values, asks
// for a recalculation.
class TTextObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)
  Q_PROPERTY(QString plainText READ Text WRITE SetText)

 public:
  TTextObject(const char* name, std::string& text, bool& changed, QObject* parent)
      : QObject(parent), FText(text), FChanged(changed) {
    setObjectName(QString::fromLatin1(name));
  }
  QString Text() const { return QString::fromStdString(FText); }
  void SetText(const QString& t) {
    std::string text = t.toStdString();
    if (text == FText) return;
    FText = std::move(text);
    FChanged = true;
  }

 private:
  std::string& FText;
  bool& FChanged;
};

// A "计算" box.
class TCheckObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)

 public:
  TCheckObject(const char* name, bool& checked, QObject* parent)
      : QObject(parent), FChecked(checked) {
    setObjectName(QString::fromLatin1(name));
  }
  bool Checked() const { return FChecked; }
  void SetChecked(bool on) { FChecked = on; }

 private:
  bool& FChecked;
};

TDocumentObjects::TDocumentObjects(TDesignDocument& doc, int packingCount)
    : FRoot(std::make_unique<QObject>()) {
  QObject* root = FRoot.get();
  root->setObjectName(QStringLiteral("FormVELM"));
  for (const TFieldInfo* f : StoredFields()) {
    new TValueFieldObject(doc, f->Field, root);
    new TUnitSelectorObject(doc, f->Field, root);
  }
  const auto count = [](const std::vector<std::string>& items) {
    return static_cast<int>(items.size());
  };
  new TListObject("AfD", doc.FoamingIndex, count(FoamingFactorItems()), nullptr, root);
  new TListObject("fpercentD", doc.FloodPercentIndex, count(FloodPercentItems()),
                  &doc.FloodPercentText, root, &FloodPercentItems());
  new TListObject("PTD", doc.PackingIndex, packingCount, nullptr, root);
  new TListObject("MethodD", doc.FloodMethodIndex, static_cast<int>(FloodingMethods().size()),
                  nullptr, root);
  new TListObject("ACLMethodD", doc.AccelerationIndex, count(AccelerationItems()), nullptr, root);
  new TListObject("CalcBasis", doc.BasisIndex, count(CalculationBasisItems()), nullptr, root);
  new TListObject("ServiceD", doc.ServiceIndex, static_cast<int>(Services().size()), nullptr, root);
  new TListObject("CalcTypeD", doc.CalcTypeIndex, count(CalculationTypeItems()), nullptr, root);
  new TTextObject("RatedDiameterD", doc.RatedDiameterText, doc.NeedsRecalc, root);
  new TTextObject("BedHeightD", doc.BedHeightText, doc.NeedsRecalc, root);
  new TTextObject("LoadCasesD", doc.LoadCasesText, doc.NeedsRecalc, root);
  new TTextObject("ColumnD", doc.ColumnText, doc.NeedsRecalc, root);
  new TTextObject("CalibrationD", doc.CalibrationText, doc.NeedsRecalc, root);
  new TTextObject("AnalysisD", doc.AnalysisText, doc.NeedsRecalc, root);
  const char* const texts[] = {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD",
                               "Edit1",    "Edit2",       "Edit3",     "Edit4"};
  for (size_t i = 0; i < std::size(texts); ++i)
    new TTextObject(texts[i], doc.Texts[i], doc.NeedsRecalc, root);
  new TTextObject("CommentD", doc.Comment, doc.NeedsRecalc, root);
  new TCheckObject("CalKf", doc.CalcKf, root);
  new TCheckObject("CalKp", doc.CalcKp, root);
}

TDocumentObjects::~TDocumentObjects() = default;

void RecalculateDocument(TDesignDocument& doc,
                         const std::function<const TPackingRecord*(int)>& packing, TMessageLog& log,
                         TDocumentEvents& events, std::span<const TPackingRecord> packings) {
  doc.NeedsRecalc = true;
  RunDocument(doc, packing(doc.PackingIndex), log, events, packings);
}

bool OpenDocument(TDesignDocument& doc, TDocumentObjects& objects, const QString& file,
                  const std::function<const TPackingRecord*(int)>& packing, TMessageLog& log,
                  TDocumentEvents& events, std::span<const TPackingRecord> packings) {
  // The basis and the service a file does not store are the literature's and "not given".
  const int shownBasis = doc.BasisIndex, shownService = doc.ServiceIndex;
  const TDesignDocument shownRating = doc;
  doc.BasisIndex = 0;
  doc.ServiceIndex = 0;
  // Rating records are written only for a rating: a file without them is a design.
  const auto restoreRating = [&](const TDesignDocument& from) {
    doc.CalcTypeIndex = from.CalcTypeIndex;
    doc.RatedDiameterText = from.RatedDiameterText;
    doc.BedHeightText = from.BedHeightText;
    doc.LoadCasesText = from.LoadCasesText;
    doc.ColumnText = from.ColumnText;
    doc.CalibrationText = from.CalibrationText;
    doc.AnalysisText = from.AnalysisText;
  };
  restoreRating(TDesignDocument());
  try {
    ReadProjectFile(objects.Root(), file);
  } catch (const TSilentAbort&) {
    doc.BasisIndex = shownBasis;
    doc.ServiceIndex = shownService;
    restoreRating(shownRating);
    return false;
  } catch (const std::exception& e) {
    doc.BasisIndex = shownBasis;
    doc.ServiceIndex = shownService;
    restoreRating(shownRating);
    events.ErrorReport(e.what());
    return false;
  }
  // The loaded method takes effect: that recalculates when no change has asked for a run yet.
  if (!doc.NeedsRecalc) RecalculateDocument(doc, packing, log, events, packings);
  RecalculateDocument(doc, packing, log, events, packings);
  doc.NeedsRecalc = false;
  return true;
}

}  // namespace velm

#include "DocumentObjects.moc"
