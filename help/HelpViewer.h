#pragma once
// The program's help window: contents, index by keyword and full-text search on the left, the
// page on the right, with back, forward and home. Pages come from the compiled help file; links
// to the web or to mail go to the desktop's programs.
#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

class QLineEdit;
class QListWidget;
class QTabWidget;

namespace velm {

class THelpFile;

// The page view: reads qthelp:// pages, pictures and style sheets from the help file.
class THelpBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  THelpBrowser(const THelpFile& file, QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  const THelpFile& FFile;
};

class THelpViewer : public QMainWindow {
  Q_OBJECT

 public:
  // The viewer reads from `file`, which must outlive it.
  explicit THelpViewer(THelpFile& file, QWidget* parent = nullptr);

  // Shows the page (with its anchor) and brings the window up.
  void ShowUrl(const QUrl& url);
  // Opens the index at `keyword` and shows the first page listed under it.
  void ShowIndex(const QString& keyword);
  // Runs a full-text search and shows the search tab with its hits.
  void ShowSearch(const QString& words);

  THelpBrowser* Browser() const { return FBrowser; }
  QUrl CurrentUrl() const { return FBrowser->source(); }
  QTabWidget* Tabs() const { return FTabs; }
  QLineEdit* IndexFilter() const { return FIndexFilter; }
  QListWidget* SearchResults() const { return FSearchResults; }

 private:
  void Present();
  void OpenLink(const QUrl& url);
  void ApplyIndexFilter();
  void SyncContents(const QUrl& url);

  THelpFile& FFile;
  THelpBrowser* FBrowser = nullptr;
  QTabWidget* FTabs = nullptr;
  QLineEdit* FIndexFilter = nullptr;
  QLineEdit* FSearchInput = nullptr;
  QListWidget* FSearchResults = nullptr;
  QString FPendingKeyword;  // an index request made before the index was built
  bool FPendingShow = false;
};

}  // namespace velm
