// SPDX-License-Identifier: MIT
#pragma once
// The main window: an always-on-top strip with the active tariff's
// figures, the tariff overview and the connection log. It owns the
// accounting state, the dial-up component, the tray icon and the timer.
// MainWindow.cpp draws it, MainWindowMenus.cpp holds both menus and their
// commands, MainWindowShutdown.cpp how the program ends.

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "accounting/AccountingCore.h"
#include "accounting/AccountingDisplay.h"
#include "accounting/SnapshotText.h"
#include "connection/DialUp.h"
#include "platform/ProgramIdentity.h"
#include "platform/Shell.h"
#include "ui/DialogHost.h"
#include "ui/TabStopListBox.h"
#include "ui/TrayIcon.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace tarifuhr {

class DesktopNotifier;
class ShutdownSignals;

// What the program hands the main window: the clock and the system's
// services, chosen in main().
struct ProgramServices {
  const Clock& clock;
  InternetStateQuery& internetState;
  DialUpServices dialUpServices;
  Registry& registry;
  Shell& shell;
  std::string programDir;
  std::string executablePath;
  RegionalSettings regional;
  // What the program watches ("NetworkManager", "simuliertes Wählnetz").
  std::string networkName = {};
};

class MainWindow : public QWidget, public AccountingDisplay, public DialogHost {
  Q_OBJECT
 public:
  static constexpr int kCollapsedHeight = 16;
  static inline const QString kCaption = QStringLiteral("Tarifuhr ") + QString::fromLatin1(kProgramVersion);

  // The commands of the dialogs; an item stays disabled until its dialog
  // is there.
  enum class Command { UserSettings, TariffSettings, Statistics, ErrorReport, About, FirstStart };

  // The items both menus have: the strip's (also the tray's) and the
  // overview's.
  struct MenuItems {
    QAction* hangUp = nullptr;
    QAction* userSettings = nullptr;
    QAction* statistics = nullptr;
    QAction* errorReport = nullptr;
    QAction* help = nullptr;
    QAction* showHide = nullptr;
    QAction* autostart = nullptr;
    QAction* warnings = nullptr;
    QAction* about = nullptr;
    QAction* quit = nullptr;
  };

  explicit MainWindow(ProgramServices services, QWidget* parent = nullptr,
                      std::function<bool()> trayAvailable = {});
  ~MainWindow() override;

  // Loads everything and starts the timer.
  void Start();
  void SetCommand(Command command, std::function<void()> handler);

  AccountingCore& Core() { return *core_; }
  DialUp& Dialer() { return *dialUp_; }
  TrayIcon& Tray() { return *tray_; }
  const ProgramServices& Services() const { return services_; }
  const UserFiles& Files() const { return userFiles_; }

  // Menu commands.
  void ToggleExpanded();
  void ToggleShown();
  void OnTrayClick();
  // Starts dialling the tariff's entry and returns; the dial's steps show
  // in the strip's caption until it ends. Nothing while another dial runs.
  void DialTariff(int tariffIndex);
  // Ends the open connection of one of the user's tariffs; a failure is
  // said without waiting.
  void HangUpOpenConnection();
  bool Dialling() const { return dialling_; }
  void SetAutostart(bool on);
  void SetWarnings(bool on);
  void UpdateWarningChecks();
  void ShowHelp();
  void EditSelectedTariff();
  void Quit();

  // DialogHost: the once-a-second tick stops while a dialog changes the
  // tariff list under it, and goes on afterwards.
  void PauseTick() override;
  void ResumeTick() override;
  bool Ticking() const;
  int SelectedTariff() const override;
  void SelectTariff(int index) override;

  // The dial menu from the current user's tariffs.
  void BuildDialMenu();
  void UpdateAutostartChecks();

  // How the program ends (MainWindowShutdown.cpp).
  // Logs an open connection and saves; false (after telling the user) when
  // the save failed.
  bool LogAndSave();
  // Saves the user's data and keeps counting; a failure goes to stderr.
  void SaveCounts();
  // The end a signal or the session asks for: no one may be there to
  // answer a question. Logs and saves once, writes a failure to stderr and
  // ends the event loop, with 1 when something could not be saved.
  void EndWithoutAsking();
  // SIGTERM, SIGINT and SIGHUP end the program without asking; the
  // session's request to save keeps the connection open.
  void WatchShutdown();

  // AccountingDisplay: the snapshot turned into text in the window's font.
  void Show(const AccountingSnapshot& snapshot) override;
  void ShowWarning(const std::string& title, const std::string& text) override;
  void ShowFirstStartDialog() override;
  void ShowError(const std::string& message) override;

  bool IsMinimized() const;
  // Hidden to the tray or minimized: the menu then offers to show it.
  bool IsStripHidden() const;
  // Where the strip was left, on a screen that is there.
  void PlaceWindow(int left, int top);
  void Collapse();

  // For tests and the dialogs: what the window shows.
  QLabel* TariffLabel() const { return tariffLabel_; }
  QLineEdit* FigureField(Figure figure) const { return figureFields_[static_cast<size_t>(figure)]; }
  QToolButton* ExpandButton() const { return expandButton_; }
  TabStopListBox* TariffOverview() const { return tariffOverview_; }
  TabStopListBox* ConnectionLogList() const { return connectionLog_; }
  QMenu* StripMenu() const { return stripMenu_; }
  QMenu* OverviewMenu() const { return overviewMenu_; }
  const MenuItems& StripItems() const { return stripItems_; }
  const MenuItems& OverviewItems() const { return overviewItems_; }
  QAction* TariffSettingsItem() const { return tariffSettingsItem_; }
  const std::vector<QAction*>& DialItems() const { return dialItems_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Builders of the window's parts, top to bottom.
  void CreateStrip();
  void CreateOverview();
  void CreateLog();
  QMenu* CreateStripMenu();
  QMenu* CreateOverviewMenu();
  // The items both menus have, in their order.
  MenuItems AddCommonItems(QMenu* menu, const QString& userSettingsCaption,
                           QAction* tariffSettings = nullptr);
  QAction* AddItem(QMenu* menu, const QString& caption, std::function<void()> handler);
  // A coloured bar with the captions of a list's columns at their lefts.
  // A header bar with its column captions, each over its column of `list`.
  QLabel* HeaderBar(const QRect& geometry, TabStopListBox* list, const QStringList& captions);
  void OnTimer();
  // For a tariff whose volume or budget is used and hangs up: asks whether
  // to dial anyway, and tells the core when the answer is yes.
  bool AcceptedDespiteUsedUp(int index, const TariffRecord& t);
  // The dial's steps as the dial-up component reports them, and its end.
  void OnDialStep(uint32_t state, uint32_t error, const std::string& text);
  void EndDial(uint32_t error, const std::string& text);
  void UpdateShowHideCaption();
  // "Verbindung trennen" enabled while a tariff's connection is open.
  void UpdateHangUpItems();
  // Asks what becomes of an open connection when the user ends the
  // program, and hangs it up if asked to; true when the program may end.
  bool MayEndWithOpenConnection();
  void ShowOverview(const std::vector<OverviewRow>& rows);
  void ShowVolumeStatus(const std::string& text);
  // The figure fields' tooltips, and the strip's with the current user.
  void ShowFigureTips(const FigureTexts& tips);
  void ShowStripTip(const std::string& user);
  // Help file in the program directory, else beside the program.
  std::string HelpFilePath() const;
  void StorePosition();
  void ExpandUpwardAtScreenBottom();
  bool InExemptRow(const QPoint& local) const;
  // The application's Quit (the session manager ends the program).
  bool eventFilter(QObject* watched, QEvent* event) override;

  ProgramServices services_;
  std::unique_ptr<DialUp> dialUp_;
  UserFiles userFiles_;
  ConnectionLog log_;
  std::unique_ptr<AccountingCore> core_;
  TrayIcon* tray_;
  DesktopNotifier* notifier_;
  // The tray tip without a volume tariff, and the volume status shown.
  QString networkTip_;
  std::string volumeStatus_;
  // Lines of the log list that are the log's records; the open record's
  // line follows them.
  int historyLineCount_ = 0;
  LogListAdapter logAdapter_;

  QLabel* overviewHeader_ = nullptr;
  QLabel* logHeader_ = nullptr;
  QLabel* tariffLabel_ = nullptr;
  QLabel* stripBar_ = nullptr;
  std::array<QLineEdit*, std::size(kFigures)> figureFields_{};
  QToolButton* expandButton_ = nullptr;
  TabStopListBox* tariffOverview_ = nullptr;
  TabStopListBox* connectionLog_ = nullptr;
  QMenu* stripMenu_ = nullptr;
  QMenu* overviewMenu_ = nullptr;
  MenuItems stripItems_;
  MenuItems overviewItems_;
  QAction* tariffSettingsItem_ = nullptr;
  QAction* dialItemsEnd_ = nullptr;  // the dial items go before it
  std::vector<QAction*> dialItems_;
  // A dial from the menu runs, and its entry.
  bool dialling_ = false;
  std::string dialEntry_;
  // The core's caption, shown again once the dial has ended.
  QString coreCaption_ = QStringLiteral("Tarif:");
  QTimer timer_;

  std::map<Command, std::function<void()>> commands_;
  std::map<Command, std::vector<QAction*>> commandItems_;
  QPoint dragOffset_;
  bool manualDrag_ = false;
  bool dragging_ = false;
  QTimer storePositionTimer_;
  // Where the collapsed strip was before it grew upwards.
  std::optional<int> collapsedTop_;
  bool ending_ = false;
  bool askingToEnd_ = false;  // the question or its hang-up runs
  ShutdownSignals* shutdownSignals_ = nullptr;
};

}  // namespace tarifuhr
