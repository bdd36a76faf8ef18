#pragma once
// A design document seen as the window's components: one plain QObject (no widget) per stored
// control, named as the control and with the same properties, each reading and writing the
// document. The project readers and the writer work on this tree exactly as on the window, so a
// project opens into a document, and a document saves, without a window.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/DesignDocument.h"

namespace velm {

class TDocumentObjects {
 public:
  // packingCount: the number of entries of the packing list (an index beyond it selects none,
  // as in the window's list).
  TDocumentObjects(TDesignDocument& document, int packingCount);
  ~TDocumentObjects();
  TDocumentObjects(const TDocumentObjects&) = delete;
  TDocumentObjects& operator=(const TDocumentObjects&) = delete;

  // The root of the components, for ReadProjectFile, StageProjectFile and BuildRecordText.
  QObject* Root() { return FRoot.get(); }

 private:
  std::unique_ptr<QObject> FRoot;
};

// Opens the project `file` into the document as the window's open command does: the calculation
// basis starts at the literature's (a file that stores none keeps it), the records are read
// through `objects`, and the opened project is recalculated as the open recalculates it (the
// choice of method first, when nothing else asked for a run). `packing` gives the record of a
// packing list index (null: none), `packings` the records a whole column's sections may name.
// False when the file could not be read; the reason went to
// events.ErrorReport (nothing for a silent end).
bool OpenDocument(TDesignDocument& doc, TDocumentObjects& objects, const QString& file,
                  const std::function<const TPackingRecord*(int)>& packing, TMessageLog& log,
                  TDocumentEvents& events, std::span<const TPackingRecord> packings = {});

// One recalculation as leaving a field asks for it: the document is run whatever changed.
void RecalculateDocument(TDesignDocument& doc,
                         const std::function<const TPackingRecord*(int)>& packing, TMessageLog& log,
                         TDocumentEvents& events, std::span<const TPackingRecord> packings = {});

}  // namespace velm
