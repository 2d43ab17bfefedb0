#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "accounting/ChargingRules.h"
#include "platform/Files.h"
#include "ui/Artwork.h"
#include "ui/MessageBoxes.h"

namespace tarifuhr {
namespace {

QFont PixelFont(const QStringList& families, int pixels, bool bold = false) {
  QFont f;
  f.setFamilies(families);  // a family the system lacks falls back to the closest
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

QFont Verdana(int pixels, bool bold = false) {
  return PixelFont({"Verdana", "DejaVu Sans", "Sans Serif"}, pixels, bold);
}

void SetColors(QWidget* w, const QColor& background, const QColor& text) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::Base, background);
  pal.setColor(QPalette::Text, text);
  pal.setColor(QPalette::WindowText, text);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

const std::vector<int> kOverviewStops = {69, 110, 146, 182, 230};
const std::vector<int> kLogStops = {50, 127, 165, 207, 240};

}  // namespace

MainWindow::MainWindow(ProgramServices services, QWidget* parent, std::function<bool()> trayAvailable)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      services_(std::move(services)),
      dialUp_(std::make_unique<DialUp>(services_.dialUpServices)),
      userFiles_(services_.programDir, services_.clock),
      log_(JoinPath(services_.programDir, "dialup.otl")),
      logAdapter_(*new TabStopListBox(this)) {
  setWindowTitle(kCaption);
  setWindowIcon(ProgramIcon());
  setFont(PixelFont({"MS Sans Serif", "Microsoft Sans Serif", "DejaVu Sans", "Sans Serif"}, 14));
  SetColors(this, Qt::black, QColor(0xDE, 0xE1, 0xD5));
  setMaximumSize(521, 299);
  resize(513, 259);
  move(85, 53);

  dialUp_->SetDialMode(DialMode::Sync);
  dialUp_->SetLanguage(StatusLanguage::English);

  ListBox2 = static_cast<TabStopListBox*>(&logAdapter_.List());
  CreateControls();
  PopupMenu1 = CreatePopupMenu1();
  PopupMenu2 = CreatePopupMenu2();

  core_ = std::make_unique<AccountingCore>(
      AccountingServices{services_.clock, *dialUp_, services_.internetState, services_.registry,
                         userFiles_, log_, services_.regional},
      *this);
  ConnectActiveEntry(*dialUp_, core_->activeEntry);

  tray_ = new TrayIcon(this, std::move(trayAvailable));
  tray_->SetHideOnActivate(true);
  tray_->SetCaptureSysCommand(true);
  tray_->SetTrayID(990);
  tray_->SetIcon(ProgramIcon());
  if (!services_.networkName.empty())
    tray_->SetTip(kCaption + QStringLiteral(" – ") + QString::fromStdString(services_.networkName));

  Timer1.setSingleShot(true);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, [this] { OnTimer(); });
  storePositionTimer_.setSingleShot(true);
  connect(&storePositionTimer_, &QTimer::timeout, this, [this] { StorePosition(); });
}

MainWindow::~MainWindow() { Timer1.stop(); }

QLabel* MainWindow::HeaderLabel(const QString& text, int left, int top) {
  auto* l = new QLabel(text, this);
  l->setFont(Verdana(13, true));
  l->setStyleSheet("color: black; background: transparent;");
  l->adjustSize();
  l->move(left, top);
  l->setAttribute(Qt::WA_TransparentForMouseEvents);
  return l;
}

void MainWindow::CreateControls() {
  Label5 = new QLabel(QStringLiteral("Tarif:"), this);
  Label5->setGeometry(0, 0, 118, 16);
  Label5->setFont(Verdana(13));
  Label5->setStyleSheet("color: white; background: transparent;");
  Label5->setAttribute(Qt::WA_TransparentForMouseEvents);

  Panel1 = new QLabel(QString(54, '_'), this);
  Panel1->setGeometry(128, -13, 337, 30);
  Panel1->setFont(PixelFont({"Microsoft Sans Serif", "DejaVu Sans", "Sans Serif"}, 13, true));
  Panel1->setStyleSheet("color: white; background: #0000D9;");
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setAttribute(Qt::WA_TransparentForMouseEvents);

  const std::array<QRect, 6> geometry = {QRect(), QRect(120, 0, 81, 17), QRect(8, 0, 73, 17),
                                         QRect(208, 0, 81, 17), QRect(296, 0, 121, 17),
                                         QRect(424, 0, 65, 17)};
  for (int i = 1; i <= 5; ++i) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QStringLiteral("Edit%1").arg(i));
    e->setGeometry(geometry[i]);
    e->setFrame(false);
    e->setReadOnly(true);  // selectable and copyable, never edited
    e->setFont(Verdana(13));
    e->setStyleSheet("QLineEdit { background: #BAFFB7; color: black; border: none; padding: 0; }");
    e->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(e, &QWidget::customContextMenuRequested, this,
            [this, e](const QPoint& p) { PopupMenu1->popup(e->mapToGlobal(p)); });
    Edit[i] = e;
  }
  Edit[2]->hide();

  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setGeometry(488, 0, 25, 17);
  SpeedButton1->setAutoRaise(true);
  SpeedButton1->setIcon(QIcon(ChevronPicture()));
  SpeedButton1->setIconSize(QSize(25, 17));
  SpeedButton1->setStyleSheet("QToolButton { border: none; padding: 0; }");
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { Button1Click(); });

  Image1 = new QLabel(this);
  Image1->setGeometry(0, 17, 513, 25);
  Image1->setPixmap(HeaderBarPicture());
  Image1->setScaledContents(true);
  Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
  HeaderLabel("Name", 2, 24);
  HeaderLabel("Zeit", 139, 24);
  HeaderLabel("Zeit/Tag", 220, 24);
  HeaderLabel("Z.Konto", 294, 24);
  HeaderLabel("Traffic", 364, 24);
  HeaderLabel("Kosten", 453, 24);

  ListBox1 = new TabStopListBox(this);
  ListBox1->setGeometry(0, 42, 513, 97);
  ListBox1->setFont(Verdana(13));
  SetColors(ListBox1, Qt::black, Qt::white);
  ListBox1->SetItemHeight(16);
  ListBox1->SetTabStops(kOverviewStops, fontMetrics());
  ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListBox1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu2->popup(ListBox1->mapToGlobal(p)); });

  Image2 = new QLabel(this);
  Image2->setGeometry(-1, 137, 514, 25);
  Image2->setPixmap(HeaderBarPicture());
  Image2->setScaledContents(true);
  Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
  HeaderLabel("Account", 2, 144);
  HeaderLabel("Start", 88, 144);
  HeaderLabel("Ende", 224, 144);
  HeaderLabel("Zeit", 290, 144);
  HeaderLabel("Traffic", 360, 144);
  HeaderLabel("Kosten", 447, 144);

  ListBox2->setGeometry(0, 162, 513, 97);
  ListBox2->setFont(Verdana(10));
  SetColors(ListBox2, QColor(0xEF, 0xEF, 0xEF), Qt::black);
  ListBox2->SetItemHeight(12);
  ListBox2->SetTabStops(kLogStops, fontMetrics());
  ListBox2->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListBox2, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(ListBox2->mapToGlobal(p)); });

  // Stacking: the blue panel lies behind the figure fields.
  Panel1->lower();
  Label5->raise();
  for (int i = 1; i <= 5; ++i) Edit[i]->raise();
  SpeedButton1->raise();
}

QAction* MainWindow::AddItem(QMenu* menu, const std::string& name, const QString& caption,
                         std::function<void()> handler) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromStdString(name));
  connect(a, &QAction::triggered, this, [this, handler] { Guarded(handler); });
  Items[name] = a;
  return a;
}

void MainWindow::AddSeparator(QMenu* menu, const std::string& name) {
  QAction* a = menu->addSeparator();
  a->setObjectName(QString::fromStdString(name));
  Items[name] = a;
}

QMenu* MainWindow::CreatePopupMenu1() {
  auto* m = new QMenu(this);
  AddSeparator(m, "N8");
  AddSeparator(m, "N5");
  commandItems_[Command::UserSettings].push_back(
      AddItem(m, "Einstelllungen1", "Benutzer-Einstelllungen", [this] { commands_[Command::UserSettings](); }));
  AddSeparator(m, "N2");
  commandItems_[Command::ErrorReport].push_back(AddItem(
      m, "Fehlerberichterstellen1", "Fehlerbericht erstellen", [this] { commands_[Command::ErrorReport](); }));
  AddItem(m, "Hilfe1", "Hilfe", [this] { Hilfe1Click(); })->setShortcut(Qt::Key_F1);
  AddSeparator(m, "N9");
  AddItem(m, "Hide1", "Verbergen", [this] { Hide1Click(); });
  // A checkable item has toggled when its handler runs: the new mark is the wish.
  QAction* autostart = AddItem(m, "Autostart1", "Autostart", [this] { SetAutostart(Items["Autostart1"]->isChecked()); });
  autostart->setCheckable(true);
  commandItems_[Command::About].push_back(
      AddItem(m, "About1", "About", [this] { commands_[Command::About](); }));
  AddSeparator(m, "N1");
  AddItem(m, "Beende1", "Beende", [this] { Beende1Click(); });
  return m;
}

QMenu* MainWindow::CreatePopupMenu2() {
  auto* m = new QMenu(this);
  AddSeparator(m, "N7");
  commandItems_[Command::UserSettings].push_back(
      AddItem(m, "Einstellungen2", "Benutzer-Einstellungen", [this] { commands_[Command::UserSettings](); }));
  AddSeparator(m, "N3");
  commandItems_[Command::TariffSettings].push_back(
      AddItem(m, "Einstellungen1", "Tarif-Einstellungen", [this] { Einstellungen1Click(); }));
  AddSeparator(m, "N6");
  commandItems_[Command::ErrorReport].push_back(AddItem(
      m, "Fehlerberichterstellen2", "Fehlerbericht erstellen", [this] { commands_[Command::ErrorReport](); }));
  AddItem(m, "Hilfe2", "Hilfe", [this] { Hilfe1Click(); })->setShortcut(Qt::Key_F1);
  AddSeparator(m, "N10");
  AddItem(m, "Verbergen1", "Verbergen", [this] { Hide1Click(); });
  QAction* autostart = AddItem(m, "AutoStart2", "Autostart", [this] { SetAutostart(Items["AutoStart2"]->isChecked()); });
  autostart->setCheckable(true);
  commandItems_[Command::About].push_back(
      AddItem(m, "Abouut1", "About", [this] { commands_[Command::About](); }));
  AddSeparator(m, "N4");
  AddItem(m, "Beenden1", "Beenden", [this] { Beende1Click(); });
  for (const auto& [command, items] : commandItems_)
    for (QAction* a : items) a->setEnabled(false);
  return m;
}

void MainWindow::SetCommand(Command command, std::function<void()> handler) {
  commands_[command] = std::move(handler);
  for (QAction* a : commandItems_[command]) a->setEnabled(static_cast<bool>(commands_[command]));
}

void MainWindow::FormCreate() {
  // The window's own F1 reaches the help without a menu open.
  for (const char* name : {"Hilfe1", "Hilfe2"}) Items[name]->setShortcutContext(Qt::WindowShortcut);
  addAction(Items["Hilfe1"]);
  // A failure in a start-up step is shown; the program still comes up.
  QCoreApplication::instance()->installEventFilter(this);
  Guarded([this] { core_->Startup(); });
  tray_->SetPopupMenu(PopupMenu1);
  tray_->OnLeftButtonDown = [this](TrayIcon&) { trayLeftButtonDown(); };
  tray_->Loaded();
  tray_->SetActive(true);
  if (!tray_->TrayAvailable()) {
    // Without a notification area the strip stays in reach.
    Items["Hide1"]->setEnabled(false);
    Items["Verbergen1"]->setEnabled(false);
  }
  Timer1.start(core_->MillisecondsUntilNextTick());
}

void MainWindow::OnTimer() {
  // Armed first: a message box shown by this tick must not stop the clock.
  Timer1.start(core_->MillisecondsUntilNextTick());
  Guarded([this] { core_->Tick(); });
}

void MainWindow::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Tarifuhr"), QString::fromStdString(e.what()));
  }
}

void MainWindow::Button1Click() {
  if (height() == kCollapsedHeight)
    resize(width(), Edit[3]->height() + Image1->height() + ListBox1->height() + Image2->height() +
                        ListBox2->height());
  else
    resize(width(), kCollapsedHeight);
}

void MainWindow::Collapse() { resize(width(), kCollapsedHeight); }

void MainWindow::PlaceWindow(int left, int top) {
  QPoint at(left, top);
  const QRect strip(at, QSize(width(), kCollapsedHeight));
  const QList<QScreen*> screens = QGuiApplication::screens();
  const bool seen = std::any_of(screens.begin(), screens.end(),
                                [&strip](QScreen* s) { return s->availableGeometry().intersects(strip); });
  if (!seen && !screens.isEmpty()) {
    // Stored on a screen that is gone: the nearest place that can be seen.
    const auto distance = [&at](const QRect& r) {
      const int dx = std::max({r.left() - at.x(), 0, at.x() - r.right()});
      const int dy = std::max({r.top() - at.y(), 0, at.y() - r.bottom()});
      return dx * int64_t{dx} + dy * int64_t{dy};
    };
    QRect area = screens.front()->availableGeometry();
    for (QScreen* s : screens)
      if (distance(s->availableGeometry()) < distance(area)) area = s->availableGeometry();
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width() + 1)));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - kCollapsedHeight + 1)));
  }
  move(at);
}

void MainWindow::Hide1Click() {
  // What the strip is, not what the caption last said: it may have gone to
  // the tray by its close box or by minimizing since.
  if (IsStripHidden()) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
  } else if (tray_->TrayAvailable()) {  // else nothing could bring it back
    hide();
    setWindowState(windowState() | Qt::WindowMinimized);
  }
  UpdateShowHideCaption();
}

void MainWindow::trayLeftButtonDown() { Hide1Click(); }

void MainWindow::BuildDialMenu() {
  for (QAction* a : DialItems) {
    PopupMenu1->removeAction(a);
    delete a;
  }
  DialItems.clear();
  const auto& tariffs = core_ ? core_->tariffs : std::vector<TariffRecord>{};
  QAction* before = Items["N5"];
  for (size_t i = 0; i < tariffs.size(); ++i) {
    const QString caption = (QString::fromStdString(tariffs[i].Name) + QStringLiteral(" wählen...")).left(30);
    auto* a = new QAction(caption, PopupMenu1);
    a->setData(static_cast<int>(i));  // the tariff's index, as the item's Tag
    const int index = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, index] { OnClickDialButton(index); });
    PopupMenu1->insertAction(before, a);
    DialItems.push_back(a);
  }
}

void MainWindow::OnClickDialButton(int i) {
  try {
    auto& tariffs = core_->tariffs;
    if (i < 0 || static_cast<size_t>(i) >= tariffs.size()) return;
    const TariffRecord t = tariffs[static_cast<size_t>(i)];
    if (IsOutsideTimeWindow(t, services_.clock.Now()) && i == core_->activeTariff) return;
    dialUp_->SetEntry(t.EntryName);
    dialUp_->SetUserName(t.UserName);
    dialUp_->SetPassword(t.Password);
    dialUp_->Dial();  // synchronous; the tick notices the connection
  } catch (...) {
    // A failed dial is not reported here.
  }
}

void MainWindow::SetAutostart(bool on) {
  try {
    if (on)
      services_.registry.WriteString(kRunKey, kAutostartValue, services_.executablePath);
    else
      services_.registry.DeleteValue(kRunKey, kAutostartValue);
  } catch (...) {
    UpdateAutostartChecks();  // the marks keep showing what is stored
    throw;
  }
  UpdateAutostartChecks();
}

void MainWindow::UpdateAutostartChecks() {
  const bool on = services_.registry.ValueExists(kRunKey, kAutostartValue);
  Items["Autostart1"]->setChecked(on);
  Items["AutoStart2"]->setChecked(on);
}

std::string MainWindow::HelpFilePath() const {
  const std::string exeDir = DirName(services_.executablePath);
  for (const std::string& dir : {services_.programDir, exeDir, exeDir + "/../share/tarifuhr"}) {
    const std::string path = JoinPath(dir, "tarifuhr.html");
    if (FileExists(path)) return path;
  }
  return {};
}

void MainWindow::Hilfe1Click() {
  const std::string help = HelpFilePath();
  if (!help.empty()) services_.shell.Open(help);
}

void MainWindow::Einstellungen1Click() {
  if (ListBox1->currentRow() < 0 || !commands_[Command::TariffSettings]) return;
  commands_[Command::TariffSettings]();
}

void MainWindow::Beende1Click() { tray_->CloseOwner(); }

bool MainWindow::CloseHandlers() {
  try {
    core_->CloseDown();
    return true;
  } catch (const std::exception& e) {
    ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Tarifuhr"), QString::fromStdString(e.what()));
    return false;
  }
}

void MainWindow::SaveCounts() {
  try {
    core_->SaveUser();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarifuhr: %s\n", e.what());
  }
}

void MainWindow::EndWithoutAsking() {
  if (ending_) return;  // a second signal while ending
  ending_ = true;
  Timer1.stop();
  const std::vector<std::string> failed = core_->CloseDownOnce();
  for (const std::string& text : failed) std::fprintf(stderr, "tarifuhr: %s\n", text.c_str());
  QCoreApplication::exit(failed.empty() ? 0 : 1);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !ending_) {
    // Closing the windows would send the strip to the tray and keep the
    // program from ending.
    EndWithoutAsking();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (ending_ || !CloseHandlers()) {
    event->ignore();  // keep running; a later close tries again
    return;
  }
  ending_ = true;
  Timer1.stop();
  event->accept();
  QApplication::quit();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && isVisible()) {
    if (tray_ && tray_->TrayAvailable())
      hide();
    else
      setWindowState(windowState() & ~Qt::WindowMinimized);  // never out of reach
  }
  QWidget::changeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  UpdateShowHideCaption();
}

void MainWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  UpdateShowHideCaption();
}

bool MainWindow::InExemptRow(const QPoint& p) const {
  // The top row from the first figure field to the right end never drags.
  return p.x() >= Edit[1]->x() && p.y() < SpeedButton1->height();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || InExemptRow(event->position().toPoint())) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  manualDrag_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (manualDrag_) move(event->globalPosition().toPoint() - dragOffset_);
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (manualDrag_) {
    manualDrag_ = false;
    StorePosition();
  }
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  if (dragging_) storePositionTimer_.start(300);
  QWidget::moveEvent(event);
}

void MainWindow::StorePosition() {
  dragging_ = false;
  try {
    services_.registry.WriteInteger(kTarifuhrKey, "left", x());
    services_.registry.WriteInteger(kTarifuhrKey, "top", y());
  } catch (const RegistryError&) {
    // The position is a convenience; a registry that cannot be written
    // must not disturb a drag.
  }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { PopupMenu1->popup(event->globalPos()); }

void MainWindow::SetFigure(int edit, const std::string& text) {
  if (edit >= 1 && edit <= 5) Edit[edit]->setText(QString::fromStdString(text));
}

void MainWindow::SetTariffCaption(const std::string& caption) { Label5->setText(QString::fromStdString(caption)); }

void MainWindow::SetOverviewRows(const std::vector<std::string>& rows) {
  const int selected = ListBox1->currentRow();
  ListBox1->setUpdatesEnabled(false);
  ListBox1->clear();
  for (const std::string& r : rows) ListBox1->addItem(QString::fromStdString(r));
  if (selected >= 0 && selected < ListBox1->count()) ListBox1->setCurrentRow(selected);
  ListBox1->setUpdatesEnabled(true);
}

int MainWindow::TextWidth(const std::string& text) const {
  return fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

bool MainWindow::IsMinimized() const { return windowState() & Qt::WindowMinimized; }

bool MainWindow::IsStripHidden() const { return isHidden() || IsMinimized(); }

void MainWindow::UpdateShowHideCaption() { SetShowHideCaption(IsStripHidden() ? "Anzeigen" : "Verbergen"); }

void MainWindow::SetShowHideCaption(const std::string& caption) {
  const QString c = QString::fromStdString(caption);
  Items["Hide1"]->setText(c);
  Items["Verbergen1"]->setText(c);
}

void MainWindow::ShowFirstStartDialog() {
  if (commands_[Command::FirstStart]) commands_[Command::FirstStart]();
}

void MainWindow::ShowError(const std::string& message) {
  // Not modal: the tick goes on.
  ShowMessageBoxLater(this, QMessageBox::Critical, QStringLiteral("Tarifuhr"), QString::fromStdString(message));
}

}  // namespace tarifuhr
