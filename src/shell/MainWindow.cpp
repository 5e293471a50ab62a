#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "app/MenuTable.h"
#include "app/Title.h"

using namespace qv::cmd;

bool MainWindow::quietMessages = false;

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Q(const char* s) { return QString::fromUtf8(s); }
}  // namespace

MainWindow::MainWindow(Quivane& app, ICameraControl& camera, bool english, GLProfile profile)
    : english_(english) {
  setWindowTitle(Q(kProgramTitle));
  setWindowIcon(QIcon(QStringLiteral(":/quivane.png")));
  commands_ = std::make_unique<Commands>(app, *this, camera);

  view_ = new GLView(*commands_, app.settings.vsync == 1 ? 1 : 0, profile);
  container_ = QWidget::createWindowContainer(view_, this);
  container_->setFocusPolicy(Qt::StrongFocus);
  container_->setAcceptDrops(true);
  setCentralWidget(container_);
  setAcceptDrops(true);
  connect(view_, &GLView::filesDropped, this, [this](const QStringList& paths) {
    // A long command repaints through the event loop; a load in the middle of it would
    // change the data sets under the command's feet.
    if (busy()) return;
    std::vector<std::string> list;
    for (const QString& p : paths) list.push_back(p.toStdString());
    ++busy_;
    commands_->OpenFiles(list);
    EndBusy();
  });

  movieTimer_.setInterval(20);
  movieTimer_.setTimerType(Qt::PreciseTimer);
  connect(&movieTimer_, &QTimer::timeout, this, [this] {
    if (!busy()) commands_->OnTimer();
  });

  BuildMenus();
  statusBar()->setSizeGripEnabled(true);
  frameLabel_ = new QLabel(this);
  statusBar()->addPermanentWidget(frameLabel_);
  qApp->installEventFilter(this);
  commands_->AttachMenu(this);
  // Nothing is loaded yet: the data menus start greyed.
  EnableMenusForType(*this, 0);

  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive && !busy()) commands_->OnActivated();
  });
}

MainWindow::~MainWindow() { commands_->DetachMenu(); }

void MainWindow::SetClientSize(int width, int height) {
  container_->setMinimumSize(1, 1);
  const int extra = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  resize(width, height + extra);
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  for (const MenuNode& top : MenuBar()) {
    if (top.IsSubMenu()) {
      QMenu* menu = bar->addMenu(Q(top.Caption(english_)));
      AddItems(menu, top.children);
      topMenus_.push_back(menu->menuAction());
    } else {
      QAction* a = MakeAction(top, bar);
      bar->addAction(a);
      topMenus_.push_back(a);
    }
  }
  // Alt+? and Alt+/ both open the version dialog.
  for (const char* keys : {"Alt+?", "Alt+/"}) {
    auto* shortcut = new QAction(this);
    shortcut->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    shortcut->setShortcutContext(Qt::ApplicationShortcut);
    connect(shortcut, &QAction::triggered, this, [this] { commands_->Command(kVersion); });
    addAction(shortcut);
  }
}

void MainWindow::AddItems(QMenu* menu, const std::vector<MenuNode>& nodes) {
  for (const MenuNode& n : nodes) {
    if (n.separator) {
      menu->addSeparator();
    } else if (n.IsSubMenu()) {
      AddItems(menu->addMenu(Q(n.Caption(english_))), n.children);
    } else {
      menu->addAction(MakeAction(n, menu));
    }
  }
}

QAction* MainWindow::MakeAction(const MenuNode& node, QObject* parent) {
  auto* a = new QAction(Q(node.Caption(english_)), parent);
  a->setData(node.id);
  a->setCheckable(node.checkable);
  a->setEnabled(!node.disabled);
  a->setProperty("qvFixedDisabled", node.disabled);
  connect(a, &QAction::triggered, this, &MainWindow::OnAction);
  actions_.emplace(node.id, a);
  return a;
}

void MainWindow::OnAction() {
  auto* a = qobject_cast<QAction*>(sender());
  if (!a) return;
  // A checkable action flips its own mark before we run; the command sets the marks.
  if (a->isCheckable()) a->setChecked(!a->isChecked());
  ++busy_;
  commands_->Command(a->data().toInt());
  EndBusy();
}

void MainWindow::EndBusy() {
  if (--busy_ > 0 || !closePending_) return;
  closePending_ = false;
  close();
}

std::vector<QAction*> MainWindow::ActionsFor(int id) const {
  std::vector<QAction*> out;
  auto [b, e] = actions_.equal_range(id);
  for (auto it = b; it != e; ++it) out.push_back(it->second);
  return out;
}

QAction* MainWindow::TopMenuAction(int index) const {
  return index >= 0 && index < static_cast<int>(topMenus_.size()) ? topMenus_[index] : nullptr;
}

void MainWindow::SetItemChecked(int id, bool checked) {
  for (QAction* a : ActionsFor(id)) {
    if (!a->isCheckable()) a->setCheckable(true);
    a->setChecked(checked);
  }
}

void MainWindow::SetItemEnabled(int id, bool enabled) {
  for (QAction* a : ActionsFor(id)) {
    // Items the table marks as never available stay greyed (id 32863 is on two items).
    if (a->property("qvFixedDisabled").toBool() && enabled) continue;
    a->setEnabled(enabled);
  }
}

void MainWindow::SetTopMenuEnabled(int index, bool enabled) {
  if (QAction* a = TopMenuAction(index)) a->setEnabled(enabled);
}

void MainWindow::Redraw() {
  // The loop draws once the events at hand are handled; an update request on top would
  // mark the same picture as due a second time.
  view_->needsFrame = true;
}

void MainWindow::SetTitle(const std::string& text) { setWindowTitle(Q(text)); }

void MainWindow::ShowMessage(const std::string& text, const std::string& caption) {
  if (quietMessages) {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    shownMessages.push_back(caption + "|" + text);
    return;
  }
  QMessageBox box(caption == "Error" ? QMessageBox::Critical : QMessageBox::Warning, Q(caption),
                  Q(text), QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::StartMovieTimer() { movieTimer_.start(); }
void MainWindow::StopMovieTimer() { movieTimer_.stop(); }

bool MainWindow::ChooseFileToOpen(std::string& path) {
  const QString filters = Q(OpenDialogFilterText(LoadableExtensions(), english_));
  const QString chosen =
      QFileDialog::getOpenFileName(nullptr, Q(OpenDialogTitle(english_)), lastFolder_, filters);
  if (chosen.isEmpty()) return false;
  lastFolder_ = QFileInfo(chosen).absolutePath();
  path = chosen.toStdString();
  return true;
}

void MainWindow::ShowVersionDialog() {
  QDialog dialog(this);
  dialog.setWindowTitle(Q(english_ ? "Version information" : "バージョン情報"));
  auto* icon = new QLabel(&dialog);
  icon->setPixmap(windowIcon().pixmap(48, 48));
  auto* text = new QLabel(Q(kVersionText), &dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(buttons);
  dialog.exec();
}

void MainWindow::OpenWithSystem(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

void MainWindow::CloseWindow() { close(); }

void MainWindow::Progress(const std::string& what, int step) {
  if (step == 0) stopRequested_ = false;  // a new run
  inProgress_ = true;
  statusBar()->showMessage(step > 0 ? QStringLiteral("%1: %2").arg(Q(what)).arg(step) : Q(what) + QStringLiteral("..."));
  statusBar()->repaint();  // before the work blocks the loop
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastProgressPaint_ < 100) return;
  lastProgressPaint_ = now;
  // Keep the window painted and hear a close or Escape; other input is swallowed (the
  // event filter), not kept for after the command.
  ++busy_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  view_->RenderFrame();
  EndBusy();
}

void MainWindow::ProgressDone() {
  inProgress_ = false;
  statusBar()->clearMessage();
}

void MainWindow::ShowStatus(const std::string& text) { statusBar()->showMessage(Q(text)); }
void MainWindow::SetFrameStatus(const std::string& text) { frameLabel_->setText(Q(text)); }
QString MainWindow::FrameStatus() const { return frameLabel_->text(); }
QString MainWindow::StatusText() const { return statusBar()->currentMessage(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (!inProgress_) return false;
  switch (e->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) stopRequested_ = true;
      return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return QMainWindow::eventFilter(watched, e);
  }
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  if (!view_->HandleKey(e)) QMainWindow::keyPressEvent(e);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
  if (busy()) {
    e->ignore();
    return;
  }
  std::vector<std::string> list;
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile()) list.push_back(url.toLocalFile().toStdString());
  e->acceptProposedAction();
  if (list.empty()) return;
  ++busy_;
  commands_->OpenFiles(list);
  EndBusy();
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (busy()) {
    // A command is running: it ends after the step it is on, then the window closes.
    stopRequested_ = true;
    closePending_ = true;
    e->ignore();
    return;
  }
  commands_->DetachMenu();
  closed_ = true;
  movieTimer_.stop();
  e->accept();
}
