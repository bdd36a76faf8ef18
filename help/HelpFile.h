#pragma once
// The compiled help file (.qch) opened through Qt Help: its pages, the map from help numbers to
// topics, the text popups by number, and a full-text search over the pages.
//
// The map (helpmap.txt) and the popups (popups.txt) are files inside the compiled help, so the
// help numbers travel with the pages they point at. Map lines are "number page[#anchor]"; the
// popups file holds blocks that start with ".topic number" followed by the popup's text.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>
#include <memory>

class QHelpEngine;

namespace velm {

// Parses the map text: number -> page (with anchor). Blank lines and lines starting with "#"
// are skipped, as are lines that do not start with a number.
QMap<int, QString> ParseHelpMap(const QString& text);
// Parses the popups text: number -> text (lines joined with line breaks, trimmed).
QMap<int, QString> ParsePopups(const QString& text);
// The plain text of an HTML page (tags removed, entities decoded, white space collapsed), and
// its title.
QString PlainTextOfPage(const QString& html);
QString TitleOfPage(const QString& html);

struct THelpSearchHit {
  QUrl Url;
  QString Title;
  QString Snippet;  // the text around the first occurrence
  int Count = 0;    // occurrences of all the words together
};

class THelpFile {
 public:
  ~THelpFile();

  // Opens `qchPath` through a help collection kept in `collectionDir` (created when missing);
  // nullptr with `error` set when the file is missing or not a compiled help.
  static std::unique_ptr<THelpFile> Open(const QString& qchPath, const QString& collectionDir,
                                         QString* error);

  QHelpEngine* Engine() const { return FEngine.get(); }
  const QString& Namespace() const { return FNamespace; }
  const QString& FileName() const { return FFileName; }

  // qthelp://namespace/doc/<relative>.
  QUrl Url(const QString& relative) const;
  QUrl DefaultTopic() const { return Url(QStringLiteral("index.html")); }
  // The page of help number h, or an empty URL when h is not mapped or its page is missing.
  QUrl Topic(int h) const;
  // Popup h, or an empty text.
  QString Popup(int h) const;
  const QMap<int, QString>& Map() const { return FMap; }
  const QMap<int, QString>& Popups() const { return FPopups; }
  // Contents of a file of the help (the fragment of the URL is ignored); empty when missing.
  QByteArray FileData(const QUrl& url) const;
  // The HTML pages of the help.
  QList<QUrl> Pages() const;
  // Pages that contain every word of `query` (words separated by blanks; letter case ignored),
  // most occurrences first.
  QList<THelpSearchHit> Search(const QString& query) const;

 private:
  THelpFile() = default;
  std::unique_ptr<QHelpEngine> FEngine;
  QString FNamespace;
  QString FFileName;
  QMap<int, QString> FMap;
  QMap<int, QString> FPopups;
  // Plain text of every page, made at the first search.
  mutable QList<QPair<QUrl, QPair<QString, QString>>> FPlain;  // url, (title, text)
};

}  // namespace velm
