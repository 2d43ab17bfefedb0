#pragma once
// The About box: program, makers' addresses and the licence.

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "ui/DialogSupport.h"
#include "ui/Dialogs.h"

namespace tarifuhr {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  static const char* const kSupportAddress;
  static const char* const kWebSite;
  static const char* const kForum;
  static const char* const kBetaTester;
  static const char* const kBetaTesterPage;
  static const char* const kLicence;

  explicit AboutDialog(Dialogs& dialogs);
  // A German summary, then the licence itself.
  static QString LicenceTerms();

  void FormClick();
  void Button1Click();
  void Label3Click();   // mail to the support address
  void Label4Click();   // web site
  void Label8Click();   // forum
  void Label10Click();  // the beta tester's page

  ClickLabel* Image1;
  ClickLabel* Label1;
  ClickLabel* Label2;
  QLabel* Label5;
  ClickLabel* Label3;
  QLabel* Label6;
  ClickLabel* Label4;
  QLabel* Label7;
  ClickLabel* Label8;
  QLabel* Label9;
  ClickLabel* Label10;
  QPlainTextEdit* Memo1;
  QPushButton* Button1;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Open(const std::string& target);
  Dialogs& d_;
};

}  // namespace tarifuhr
