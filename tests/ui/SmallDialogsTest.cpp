// SPDX-License-Identifier: MIT
// The About box and the first-start dialog.

#include "platform/ProgramIdentity.h"
#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class SmallDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void aboutShowsTheProjectsAddressesAndItsLicence() {
    DialogWorld w;
    AboutDialog& a = w.set->About();
    QVERIFY(a.isHidden());
    w.mainWindow->StripItems().about->trigger();
    QVERIFY(a.isVisible());
    QVERIFY(!a.isModal());
    QCOMPARE(a.windowTitle(), QStringLiteral("About"));
    // One version everywhere: the project's, as the window's caption and --version give it.
    QCOMPARE(Control<ClickLabel>(a, "programName")->text(), w.mainWindow->windowTitle());
    QCOMPARE(Control<ClickLabel>(a, "programName")->text(),
             QStringLiteral("Tarifuhr ") + QString::fromLatin1(kProgramVersion));
    QCOMPARE(Control<QLabel>(a, "mailCaption")->text(), QStringLiteral("E-Mail:"));
    QCOMPARE(Control<QLabel>(a, "webCaption")->text(), QStringLiteral("Web-Site:"));
    QCOMPARE(Control<QLabel>(a, "forumCaption")->text(), QStringLiteral("Forum:"));
    QCOMPARE(Control<QLabel>(a, "testerCaption")->text(), QStringLiteral("Betatester:"));
    QCOMPARE(Control<ClickLabel>(a, "mailLink")->text(), QStringLiteral("support@tarifuhr.example"));
    QCOMPARE(Control<ClickLabel>(a, "testerLink")->text(), QStringLiteral("Erika Mustermann"));
    QCOMPARE(Control<ClickLabel>(a, "picture")->pixmap().size(), QSize(64, 64));
    for (ClickLabel* l : {Control<ClickLabel>(a, "mailLink"), Control<ClickLabel>(a, "webLink"),
                          Control<ClickLabel>(a, "forumLink"), Control<ClickLabel>(a, "testerLink")})
      QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(Control<QPlainTextEdit>(a, "licence")->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(Control<QPlainTextEdit>(a, "licence")->isReadOnly());
    // The licence shown is the repository's own, word for word.
    const QString licence = QString::fromStdString(ReadFileBytes(TARIFUHR_SOURCE_DIR "/LICENSE"));
    QVERIFY(licence.startsWith(QStringLiteral("MIT License")));
    QVERIFY(Control<QPlainTextEdit>(a, "licence")->toPlainText().endsWith(licence));
    QVERIFY(Control<QPlainTextEdit>(a, "licence")
                ->toPlainText()
                .startsWith(QStringLiteral("Tarifuhr ist freie Software unter der MIT-Lizenz.")));
    QVERIFY(Control<ClickLabel>(a, "notice")->text().contains(QStringLiteral("MIT-Lizenz")));
  }

  void aboutLinksOpenAndTheRestCloses() {
    DialogWorld w;
    AboutDialog& a = w.set->About();
    a.show();
    for (ClickLabel* l : {Control<ClickLabel>(a, "mailLink"), Control<ClickLabel>(a, "webLink"),
                          Control<ClickLabel>(a, "forumLink"), Control<ClickLabel>(a, "testerLink")}) {
      QTest::mouseClick(l, Qt::LeftButton);
      QVERIFY(a.isVisible());  // a link leaves the box open
    }
    for (QLabel* caption : {Control<QLabel>(a, "mailCaption"), Control<QLabel>(a, "webCaption"),
                            Control<QLabel>(a, "forumCaption"), Control<QLabel>(a, "testerCaption")}) {
      QTest::mouseClick(caption, Qt::LeftButton);
      QVERIFY(a.isVisible());  // nor do the captions before them
    }
    QCOMPARE(w.shell.opened,
             (std::vector<std::string>{"mailto:support@tarifuhr.example", "https://tarifuhr.example",
                                       "https://tarifuhr.example/forum", "https://tarifuhr.example/dank"}));
    for (QWidget* closer :
         {static_cast<QWidget*>(Control<ClickLabel>(a, "programName")),
          static_cast<QWidget*>(Control<ClickLabel>(a, "picture")),
          static_cast<QWidget*>(Control<ClickLabel>(a, "notice")), static_cast<QWidget*>(&a),
          static_cast<QWidget*>(Control<QPushButton>(a, "ok"))}) {
      a.show();
      QTest::mouseClick(closer, Qt::LeftButton, {}, QPoint(2, 2));
      QVERIFY(a.isHidden());
    }
    QCOMPARE(w.shell.opened.size(), size_t(4));
  }

  void theFirstTickShowsTheFirstStartDialogOnce() {
    DialogWorld w(true);
    FirstStartDialog& f = w.set->FirstStart();
    QVERIFY(f.isHidden());
    w.Tick();
    QVERIFY(f.isVisible());
    QVERIFY(!f.isModal());
    QCOMPARE(f.windowTitle(), QStringLiteral("Start"));
    f.close();
    w.Tick();
    QVERIFY(f.isHidden());
  }

  void helpClosesTheFirstStartDialogWithOrWithoutAHelpFile() {
    DialogWorld w(true);
    FirstStartDialog& f = w.set->FirstStart();
    f.show();
    Click(Control<QPushButton>(f, "help"));
    QVERIFY(f.isHidden());
    QVERIFY(w.shell.opened.empty());
    WriteFileBytes(w.dir.File("tarifuhr.html"), "<html></html>");
    f.show();
    Click(Control<QPushButton>(f, "help"));
    QVERIFY(f.isHidden());
    QCOMPARE(w.shell.opened, std::vector<std::string>{w.dir.File("tarifuhr.html")});
  }

  void theSettingsChoiceWaitsForTheSettingsDialog() {
    DialogWorld w(true);
    FirstStartDialog& f = w.set->FirstStart();
    f.show();
    bool stillOpenMeanwhile = false;
    WithModal([&] { Click(Control<QPushButton>(f, "settings")); },
              [&] {
                QVERIFY(w.settings().isVisible());
                QVERIFY(w.settings().isModal());
                stillOpenMeanwhile = f.isVisible();
                w.settings().close();
              });
    QVERIFY(stillOpenMeanwhile);
    QVERIFY(f.isHidden());
  }
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
