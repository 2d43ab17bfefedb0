// SPDX-License-Identifier: MIT
#include "ui/MainWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "platform/Files.h"
#include "platform/ProgramIdentity.h"
#include "ui/Artwork.h"
#include "ui/DesktopNotifier.h"
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

  // The dial runs on the platform's thread; its notifications come back
  // through the event loop, so the window answers and the tick goes on.
  dialUp_->SetDialMode(DialMode::Async);
  dialUp_->SetLanguage(StatusLanguage::German);
  dialUp_->SetTimerHook([this] {
    QMetaObject::invokeMethod(
        this, [this] { Guarded(this, [this] { dialUp_->TimerHandler(); }); }, Qt::QueuedConnection);
  });
  dialUp_->OnAsyncEvent = [this](DialUp&, uint32_t state, uint32_t error, const std::string& text) {
    OnDialStep(state, error, text);
  };

  CreateStrip();
  CreateOverview();
  CreateLog();
  stripMenu_ = CreateStripMenu();
  overviewMenu_ = CreateOverviewMenu();

  core_ = std::make_unique<AccountingCore>(
      AccountingServices{services_.clock, *dialUp_, services_.internetState, services_.registry, userFiles_,
                         log_, services_.regional, services_.networkName},
      *this);

  tray_ = new TrayIcon(this, std::move(trayAvailable));
  tray_->SetHideOnActivate(true);
  tray_->SetCaptureSysCommand(true);
  tray_->SetTrayID(990);
  tray_->SetIcon(ProgramIcon());
  notifier_ = new DesktopNotifier(
      QString::fromLatin1(kApplicationId),
      [this](const QString& title, const QString& text) { tray_->ShowBalloon(title, text); }, this);
  // The button "Verbindung trennen" of a budget warning.
  connect(notifier_, &DesktopNotifier::HangUpRequested, this, [this] { HangUpOpenConnection(); });
  if (!services_.networkName.empty()) {
    networkTip_ = kCaption + QStringLiteral(" – ") + QString::fromStdString(services_.networkName);
    tray_->SetTip(networkTip_);
  }

  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
  storePositionTimer_.setSingleShot(true);
  connect(&storePositionTimer_, &QTimer::timeout, this, [this] { StorePosition(); });
}

MainWindow::~MainWindow() {
  dialUp_->SetTimerHook({});  // a dial still running tells no one
  timer_.stop();
}

QLabel* MainWindow::HeaderBar(const QRect& geometry, TabStopListBox* list, const QStringList& captions) {
  auto* bar = new QLabel(this);
  bar->setGeometry(geometry);
  bar->setPixmap(HeaderBarPicture());
  bar->setScaledContents(true);
  bar->setAttribute(Qt::WA_TransparentForMouseEvents);
  std::vector<QLabel*> labels;
  for (int i = 0; i < captions.size(); ++i) {
    auto* caption = new QLabel(captions[i], this);
    caption->setObjectName(list->objectName() + QStringLiteral("Heading%1").arg(i));
    caption->setFont(Verdana(13, true));
    caption->setStyleSheet("color: black; background: transparent;");
    caption->adjustSize();
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    labels.push_back(caption);
  }
  // The captions sit 7 pixels into the bar, each where its column's texts
  // begin, wherever the list's font puts the stops.
  const auto place = [list, labels, top = geometry.top() + 7] {
    for (size_t i = 0; i < labels.size(); ++i) labels[i]->move(list->x() + list->ColumnLeft(i), top);
  };
  place();
  connect(list, &TabStopListBox::ColumnsChanged, this, place);
  return bar;
}

void MainWindow::CreateStrip() {
  tariffLabel_ = new QLabel(coreCaption_, this);
  tariffLabel_->setGeometry(0, 0, 118, 16);
  tariffLabel_->setFont(Verdana(13));
  tariffLabel_->setStyleSheet("color: white; background: transparent;");
  tariffLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);

  stripBar_ = new QLabel(QString(54, '_'), this);
  stripBar_->setGeometry(128, -13, 337, 30);
  stripBar_->setFont(PixelFont({"Microsoft Sans Serif", "DejaVu Sans", "Sans Serif"}, 13, true));
  stripBar_->setStyleSheet("color: white; background: #0000D9;");
  stripBar_->setAlignment(Qt::AlignCenter);
  stripBar_->setAttribute(Qt::WA_TransparentForMouseEvents);

  const std::map<Figure, std::pair<QRect, const char*>> fields = {
      {Figure::SecondsToday, {QRect(120, 0, 81, 17), "secondsToday"}},
      {Figure::DailyAllowance, {QRect(8, 0, 73, 17), "dailyAllowance"}},
      {Figure::LeftToday, {QRect(208, 0, 81, 17), "leftToday"}},
      {Figure::ConnectionBytes, {QRect(296, 0, 121, 17), "connectionBytes"}},
      {Figure::PeriodCosts, {QRect(424, 0, 65, 17), "periodCosts"}}};
  for (const auto& [figure, place] : fields) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(place.second));
    e->setGeometry(place.first);
    e->setFrame(false);
    e->setReadOnly(true);  // selectable and copyable, never edited
    e->setFont(Verdana(13));
    e->setStyleSheet("QLineEdit { background: #BAFFB7; color: black; border: none; padding: 0; }");
    e->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(e, &QWidget::customContextMenuRequested, this,
            [this, e](const QPoint& p) { stripMenu_->popup(e->mapToGlobal(p)); });
    figureFields_[static_cast<size_t>(figure)] = e;
  }
  FigureField(Figure::DailyAllowance)->hide();
  ShowFigureTips(TipsOfFigures(std::nullopt));
  ShowStripTip({});

  expandButton_ = new QToolButton(this);
  expandButton_->setGeometry(488, 0, 25, 17);
  expandButton_->setAutoRaise(true);
  expandButton_->setIcon(QIcon(ChevronPicture()));
  expandButton_->setIconSize(QSize(25, 17));
  expandButton_->setStyleSheet("QToolButton { border: none; padding: 0; }");
  connect(expandButton_, &QToolButton::clicked, this, [this] { ToggleExpanded(); });

  // Stacking: the blue bar lies behind the figure fields.
  stripBar_->lower();
  tariffLabel_->raise();
  for (QLineEdit* e : figureFields_) e->raise();
  expandButton_->raise();
}

void MainWindow::CreateOverview() {
  tariffOverview_ = new TabStopListBox(this);
  tariffOverview_->setObjectName(QStringLiteral("tariffOverview"));
  tariffOverview_->setGeometry(0, 42, 513, 97);
  tariffOverview_->setFont(Verdana(13));
  SetColors(tariffOverview_, Qt::black, Qt::white);
  tariffOverview_->SetItemHeight(16);
  tariffOverview_->SetTabStops(kOverviewStops);
  overviewHeader_ = HeaderBar(QRect(0, 17, 513, 25), tariffOverview_,
                              {"Name", "Zeit", "Zeit/Tag", "Z.Konto", "Traffic", "Kosten"});
  tariffOverview_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tariffOverview_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { overviewMenu_->popup(tariffOverview_->mapToGlobal(p)); });
}

void MainWindow::CreateLog() {
  connectionLog_ = static_cast<TabStopListBox*>(&logAdapter_.List());
  connectionLog_->setObjectName(QStringLiteral("connectionLog"));
  connectionLog_->setGeometry(0, 162, 513, 97);
  connectionLog_->setFont(Verdana(10));
  SetColors(connectionLog_, QColor(0xEF, 0xEF, 0xEF), Qt::black);
  connectionLog_->SetItemHeight(12);
  connectionLog_->SetTabStops(kLogStops);
  logHeader_ = HeaderBar(QRect(-1, 137, 514, 25), connectionLog_,
                         {"Account", "Start", "Ende", "Zeit", "Traffic", "Kosten"});
  connectionLog_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(connectionLog_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { stripMenu_->popup(connectionLog_->mapToGlobal(p)); });
}

void MainWindow::Start() {
  // The window's own F1 reaches the help without a menu open.
  for (QAction* help : {stripItems_.help, overviewItems_.help}) help->setShortcutContext(Qt::WindowShortcut);
  addAction(stripItems_.help);
  // A failure in a start-up step is shown; the program still comes up.
  QCoreApplication::instance()->installEventFilter(this);
  UpdateAutostartChecks();
  Guarded(this, [this] { core_->Startup(); });
  PlaceWindow(core_->Settings().left, core_->Settings().top);
  Collapse();
  UpdateWarningChecks();
  tray_->SetPopupMenu(stripMenu_);
  connect(tray_, &TrayIcon::LeftButtonDown, this, [this] { OnTrayClick(); });
  tray_->Loaded();
  tray_->SetActive(true);
  if (!tray_->TrayAvailable()) {
    // Without a notification area the strip stays in reach.
    stripItems_.showHide->setEnabled(false);
    overviewItems_.showHide->setEnabled(false);
  }
  timer_.start(core_->MillisecondsUntilNextTick());
}

void MainWindow::OnTimer() {
  // Armed first: a message box shown by this tick must not stop the clock.
  timer_.start(core_->MillisecondsUntilNextTick());
  // Minimizing sends no event the captions could follow.
  UpdateShowHideCaption();
  Guarded(this, [this] { core_->Tick(); });
}

void MainWindow::ToggleExpanded() {
  if (height() == kCollapsedHeight) {
    resize(width(), FigureField(Figure::LeftToday)->height() + overviewHeader_->height() +
                        tariffOverview_->height() + logHeader_->height() + connectionLog_->height());
    ExpandUpwardAtScreenBottom();
  } else {
    resize(width(), kCollapsedHeight);
    if (collapsedTop_) move(x(), *collapsedTop_);
    collapsedTop_.reset();
  }
}

void MainWindow::ExpandUpwardAtScreenBottom() {
  // Expanded downwards, a strip at the bottom would cover the panel and
  // its tray icon, or leave the screen; it grows upwards and goes back
  // down when collapsed.
  const QRect area = screen()->availableGeometry();
  if (geometry().bottom() <= area.bottom()) return;
  collapsedTop_ = y();
  move(x(), std::max(area.top(), area.bottom() - height() + 1));
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

void MainWindow::ToggleShown() {
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

void MainWindow::OnTrayClick() { ToggleShown(); }

void MainWindow::ShowWarning(const std::string& title, const std::string& text) {
  notifier_->Notify(QString::fromStdString(title), QString::fromStdString(text),
                    core_->CanHangUpOpenConnection());
}

void MainWindow::PauseTick() { timer_.stop(); }

void MainWindow::ResumeTick() { timer_.start(core_->MillisecondsUntilNextTick()); }

bool MainWindow::Ticking() const { return timer_.isActive(); }

int MainWindow::SelectedTariff() const { return tariffOverview_->currentRow(); }

void MainWindow::SelectTariff(int index) { tariffOverview_->setCurrentRow(index); }

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
  return p.x() >= FigureField(Figure::SecondsToday)->x() && p.y() < expandButton_->height();
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
  collapsedTop_.reset();  // dragged while expanded: the new place counts
  // A Wayland compositor places the window and never says where: the place
  // stored under X11 is kept.
  if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) return;
  try {
    services_.registry.WriteInteger(kTarifuhrKey, "left", x());
    services_.registry.WriteInteger(kTarifuhrKey, "top", y());
  } catch (const RegistryError&) {
    // The position is a convenience; a registry that cannot be written
    // must not disturb a drag.
  }
}

void MainWindow::Show(const AccountingSnapshot& s) {
  const RegionalSettings& rs = services_.regional;
  // The log's entry is measured in the log's font against the room its
  // column has there: a name that fits is never cut.
  const QFontMetrics logFont = connectionLog_->fontMetrics();
  const int entryRoom = std::max(1, connectionLog_->ColumnWidth(0));
  const TextWidthFn width = [&logFont, entryRoom](const std::string& text) {
    return logFont.horizontalAdvance(QString::fromStdString(text)) * kEntryColumnPixels / entryRoom;
  };
  if (s.Changed(AccountingSnapshot::kCaption)) {
    coreCaption_ = QString::fromStdString(s.tariffCaption);
    if (!Dialling()) tariffLabel_->setText(coreCaption_);
  }
  if (s.Changed(AccountingSnapshot::kFigures)) {
    const FigureTexts texts = TextsOfFigures(s.figures, rs);
    for (Figure f : kFigures) FigureField(f)->setText(QString::fromStdString(texts[static_cast<size_t>(f)]));
    ShowFigureTips(TipsOfFigures(s.figures));
  }
  ShowStripTip(s.user);
  if (s.Changed(AccountingSnapshot::kOverview)) ShowOverview(s.overview);
  // The log's records first: the open record's line follows them.
  if (s.Changed(AccountingSnapshot::kLog)) historyLineCount_ = ShowLogRecords(s.log, logAdapter_, width, rs);
  if (s.Changed(AccountingSnapshot::kLogLine))
    ShowLogLine(s.openRecord, historyLineCount_, logAdapter_, width, rs);
  if (s.Changed(AccountingSnapshot::kVolume)) ShowVolumeStatus(VolumeStatusText(s.volume, rs));
  if (s.Changed(AccountingSnapshot::kTariffList)) BuildDialMenu();
  UpdateHangUpItems();
}

void MainWindow::ShowFigureTips(const FigureTexts& tips) {
  for (Figure f : kFigures) {
    const QString tip = QString::fromStdString(tips[static_cast<size_t>(f)]);
    if (FigureField(f)->toolTip() != tip) FigureField(f)->setToolTip(tip);
  }
}

void MainWindow::ShowStripTip(const std::string& user) {
  // Over the caption, the header bars and the lists; the fields have their own.
  const QString tip = QString::fromStdString(StripTipText(kCaption.toStdString(), user));
  if (toolTip() != tip) setToolTip(tip);
}

void MainWindow::ShowVolumeStatus(const std::string& text) {
  if (text == volumeStatus_) return;
  volumeStatus_ = text;
  // The tip has room for the caption and the two volume lines only.
  tray_->SetTip(text.empty() ? (networkTip_.isEmpty() ? kCaption : networkTip_)
                             : kCaption + QLatin1Char('\n') + QString::fromStdString(text));
}

void MainWindow::ShowOverview(const std::vector<OverviewRow>& rows) {
  // Cut only what does not fit its column as the list draws it.
  const QFontMetrics listFont = tariffOverview_->fontMetrics();
  const TextWidthFn inListFont = [&listFont](const std::string& text) {
    return listFont.horizontalAdvance(QString::fromStdString(text));
  };
  const OverviewColumnRoom room{tariffOverview_->ColumnWidth(0), tariffOverview_->ColumnWidth(1),
                                tariffOverview_->ColumnWidth(2), tariffOverview_->ColumnWidth(3)};
  const int selected = tariffOverview_->currentRow();
  tariffOverview_->setUpdatesEnabled(false);
  tariffOverview_->clear();
  for (const OverviewRow& r : rows)
    tariffOverview_->addItem(
        QString::fromStdString(OverviewRowText(r, inListFont, services_.regional, room)));
  if (selected >= 0 && selected < tariffOverview_->count()) tariffOverview_->setCurrentRow(selected);
  tariffOverview_->setUpdatesEnabled(true);
}

bool MainWindow::IsMinimized() const { return windowState() & Qt::WindowMinimized; }

bool MainWindow::IsStripHidden() const { return isHidden() || IsMinimized(); }

void MainWindow::ShowError(const std::string& message) {
  // Not modal: the tick goes on.
  ShowMessageBoxLater(this, QMessageBox::Critical, QStringLiteral("Tarifuhr"),
                      QString::fromStdString(message));
}

}  // namespace tarifuhr
