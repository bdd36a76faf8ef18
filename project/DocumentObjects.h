#pragma once
// A design document seen as the window's components: one plain QObject (no widget) per stored
// control, named as the control and with the same properties, each reading and writing the
// document. The project readers and the writer work on this tree exactly as on the window, so a
// project opens into a document, and a document saves, without a window.
#include <QObject>
#include <QString>
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

}  // namespace velm
