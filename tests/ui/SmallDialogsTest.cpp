// The About box and the first-start dialog.

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
    w.form->StripItems().about->trigger();
    QVERIFY(a.isVisible());
    QVERIFY(!a.isModal());
    QCOMPARE(a.windowTitle(), QStringLiteral("About"));
    QCOMPARE(a.Label1->text(), QStringLiteral("Tarifuhr 1.0"));
    QCOMPARE(a.Label5->text(), QStringLiteral("E-Mail:"));
    QCOMPARE(a.Label6->text(), QStringLiteral("Web-Site:"));
    QCOMPARE(a.Label7->text(), QStringLiteral("Forum:"));
    QCOMPARE(a.Label9->text(), QStringLiteral("Betatester:"));
    QCOMPARE(a.Label3->text(), QStringLiteral("support@tarifuhr.example"));
    QCOMPARE(a.Label10->text(), QStringLiteral("Erika Mustermann"));
    QCOMPARE(a.Image1->pixmap().size(), QSize(64, 64));
    for (ClickLabel* l : {a.Label3, a.Label4, a.Label8, a.Label10}) QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(a.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(a.Memo1->isReadOnly());
    // The licence shown is the repository's own, word for word.
    const QString licence = QString::fromStdString(ReadFileBytes(TARIFUHR_SOURCE_DIR "/LICENSE"));
    QVERIFY(licence.startsWith(QStringLiteral("MIT License")));
    QVERIFY(a.Memo1->toPlainText().endsWith(licence));
    QVERIFY(a.Memo1->toPlainText().startsWith(QStringLiteral("Tarifuhr ist freie Software unter der MIT-Lizenz.")));
    QVERIFY(a.Label2->text().contains(QStringLiteral("MIT-Lizenz")));
  }

  void aboutLinksOpenAndTheRestCloses() {
    DialogWorld w;
    AboutDialog& a = w.set->About();
    a.show();
    for (ClickLabel* l : {a.Label3, a.Label4, a.Label8, a.Label10}) {
      QTest::mouseClick(l, Qt::LeftButton);
      QVERIFY(a.isVisible());  // a link leaves the box open
    }
    for (QLabel* caption : {a.Label5, a.Label6, a.Label7, a.Label9}) {
      QTest::mouseClick(caption, Qt::LeftButton);
      QVERIFY(a.isVisible());  // nor do the captions before them
    }
    QCOMPARE(w.shell.opened,
             (std::vector<std::string>{"mailto:support@tarifuhr.example", "https://tarifuhr.example",
                                       "https://tarifuhr.example/forum", "https://tarifuhr.example/dank"}));
    for (QWidget* closer : {static_cast<QWidget*>(a.Label1), static_cast<QWidget*>(a.Image1),
                            static_cast<QWidget*>(a.Label2), static_cast<QWidget*>(&a),
                            static_cast<QWidget*>(a.Button1)}) {
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
    Click(f.Button1);
    QVERIFY(f.isHidden());
    QVERIFY(w.shell.opened.empty());
    WriteFileBytes(w.dir.File("tarifuhr.html"), "<html></html>");
    f.show();
    Click(f.Button1);
    QVERIFY(f.isHidden());
    QCOMPARE(w.shell.opened, std::vector<std::string>{w.dir.File("tarifuhr.html")});
  }

  void theSettingsChoiceWaitsForTheSettingsDialog() {
    DialogWorld w(true);
    FirstStartDialog& f = w.set->FirstStart();
    f.show();
    bool stillOpenMeanwhile = false;
    WithModal([&] { Click(f.Button2); },
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
