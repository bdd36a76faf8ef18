#include "help/HelpViewer.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "help/HelpFile.h"

namespace velm {

THelpBrowser::THelpBrowser(const THelpFile& file, QWidget* parent)
    : QTextBrowser(parent), FFile(file) {
  setObjectName(QStringLiteral("HelpBrowser"));
  setOpenLinks(false);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
  if (name.scheme() == QLatin1String("qthelp")) {
    const QByteArray data = FFile.FileData(name);
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
      return QString::fromUtf8(data);
    return data;
  }
  return QTextBrowser::loadResource(type, name);
}

THelpViewer::THelpViewer(THelpFile& file, QWidget* parent) : QMainWindow(parent), FFile(file) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("散堆填料塔流体力学 - 帮助"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  QHelpEngine* engine = FFile.Engine();

  FBrowser = new THelpBrowser(FFile);
  connect(FBrowser, &QTextBrowser::anchorClicked, this, &THelpViewer::OpenLink);
  connect(FBrowser, &QTextBrowser::sourceChanged, this, &THelpViewer::SyncContents);

  FTabs = new QTabWidget;
  FTabs->setObjectName(QStringLiteral("HelpTabs"));
  QHelpContentWidget* contents = engine->contentWidget();
  contents->setObjectName(QStringLiteral("HelpContents"));
  FTabs->addTab(contents, QStringLiteral("目录"));
  connect(contents, &QHelpContentWidget::linkActivated, this, &THelpViewer::ShowUrl);

  auto* indexPage = new QWidget;
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexLayout->setContentsMargins(2, 2, 2, 2);
  indexLayout->addWidget(new QLabel(QStringLiteral("键入要查找的关键字:")));
  FIndexFilter = new QLineEdit;
  FIndexFilter->setObjectName(QStringLiteral("HelpIndexFilter"));
  FIndexFilter->setClearButtonEnabled(true);
  indexLayout->addWidget(FIndexFilter);
  QHelpIndexWidget* index = engine->indexWidget();
  index->setObjectName(QStringLiteral("HelpIndex"));
  indexLayout->addWidget(index);
  FTabs->addTab(indexPage, QStringLiteral("索引"));
  connect(FIndexFilter, &QLineEdit::textChanged, this, &THelpViewer::ApplyIndexFilter);
  connect(FIndexFilter, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
  connect(index, &QHelpIndexWidget::documentActivated, this,
          [this](const QHelpLink& link) { ShowUrl(link.url); });
  connect(index, &QHelpIndexWidget::documentsActivated, this,
          [this](const QList<QHelpLink>& links) {
            if (!links.isEmpty()) ShowUrl(links.first().url);
          });
  connect(engine->indexModel(), &QHelpIndexModel::indexCreated, this, [this] {
    if (!FPendingKeyword.isEmpty()) {
      const QString keyword = FPendingKeyword;
      FPendingKeyword.clear();
      const bool show = FPendingShow;
      FIndexFilter->setText(keyword);
      if (show) ShowIndex(keyword);
    }
  });

  auto* searchPage = new QWidget;
  auto* searchLayout = new QVBoxLayout(searchPage);
  searchLayout->setContentsMargins(2, 2, 2, 2);
  searchLayout->addWidget(new QLabel(QStringLiteral("查找包含以下词语的页面 (空格分隔):")));
  FSearchInput = new QLineEdit;
  FSearchInput->setObjectName(QStringLiteral("HelpSearchInput"));
  FSearchInput->setClearButtonEnabled(true);
  searchLayout->addWidget(FSearchInput);
  FSearchResults = new QListWidget;
  FSearchResults->setObjectName(QStringLiteral("HelpSearchResults"));
  FSearchResults->setWordWrap(true);
  searchLayout->addWidget(FSearchResults);
  FTabs->addTab(searchPage, QStringLiteral("搜索"));
  connect(FSearchInput, &QLineEdit::returnPressed, this,
          [this] { ShowSearch(FSearchInput->text()); });
  connect(FSearchResults, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowUrl(item->data(Qt::UserRole).toUrl()); });
  connect(FSearchResults, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowUrl(item->data(Qt::UserRole).toUrl()); });

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(FTabs);
  splitter->addWidget(FBrowser);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({260, 700});
  setCentralWidget(splitter);

  QToolBar* bar = addToolBar(QStringLiteral("导航"));
  bar->setObjectName(QStringLiteral("HelpToolBar"));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QStyle* s = style();
  QAction* back = bar->addAction(s->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("后退"));
  back->setObjectName(QStringLiteral("HelpBack"));
  back->setShortcut(QKeySequence::Back);
  back->setEnabled(false);
  QAction* forward =
      bar->addAction(s->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("前进"));
  forward->setObjectName(QStringLiteral("HelpForward"));
  forward->setShortcut(QKeySequence::Forward);
  forward->setEnabled(false);
  QAction* home = bar->addAction(s->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("首页"));
  home->setObjectName(QStringLiteral("HelpHome"));
  connect(back, &QAction::triggered, FBrowser, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, FBrowser, &QTextBrowser::forward);
  connect(home, &QAction::triggered, this, [this] { ShowUrl(FFile.DefaultTopic()); });
  connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  resize(1000, 700);
}

void THelpViewer::Present() {
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void THelpViewer::ShowUrl(const QUrl& url) {
  if (url.isValid() && url != FBrowser->source()) FBrowser->setSource(url);
  Present();
}

void THelpViewer::OpenLink(const QUrl& url) {
  const QUrl target = url.isRelative() ? FBrowser->source().resolved(url) : url;
  if (target.scheme() == QLatin1String("qthelp")) {
    FBrowser->setSource(target);
  } else {
    QDesktopServices::openUrl(target);
  }
}

void THelpViewer::ApplyIndexFilter() {
  QHelpIndexWidget* index = FFile.Engine()->indexWidget();
  index->filterIndices(FIndexFilter->text());
  // The first entry that begins with the typed text is the current one (as an index does).
  if (index->model() && index->model()->rowCount() > 0)
    index->setCurrentIndex(index->model()->index(0, 0));
}

void THelpViewer::ShowIndex(const QString& keyword) {
  FTabs->setCurrentIndex(1);
  QHelpIndexModel* model = FFile.Engine()->indexModel();
  if (model->isCreatingIndex()) {
    FPendingKeyword = keyword;
    FPendingShow = true;
    Present();
    return;
  }
  FIndexFilter->setText(keyword);
  ApplyIndexFilter();
  const QList<QHelpLink> docs = FFile.Engine()->documentsForKeyword(keyword);
  if (!docs.isEmpty()) FBrowser->setSource(docs.first().url);
  Present();
}

void THelpViewer::ShowSearch(const QString& words) {
  FTabs->setCurrentIndex(2);
  if (FSearchInput->text() != words) FSearchInput->setText(words);
  FSearchResults->clear();
  const QList<THelpSearchHit> hits = FFile.Search(words);
  for (const THelpSearchHit& hit : hits) {
    auto* item =
        new QListWidgetItem(QStringLiteral("%1\n%2").arg(
                                hit.Title.isEmpty() ? hit.Url.fileName() : hit.Title, hit.Snippet),
                            FSearchResults);
    item->setData(Qt::UserRole, hit.Url);
  }
  if (hits.isEmpty())
    new QListWidgetItem(QStringLiteral("没有找到包含“%1”的页面。").arg(words), FSearchResults);
  Present();
}

void THelpViewer::SyncContents(const QUrl& url) {
  // Keep the contents tree on the page shown.
  QHelpContentWidget* contents = FFile.Engine()->contentWidget();
  QUrl page = url;
  page.setFragment(QString());
  const QModelIndex found = contents->indexOf(page);
  if (found.isValid()) contents->setCurrentIndex(found);
}

}  // namespace velm
