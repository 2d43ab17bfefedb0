// SPDX-License-Identifier: MIT
#pragma once
// The About box: program, makers' addresses and the licence.

#include <QDialog>
#include <string>

#include "ui/DialogSupport.h"

namespace tarifuhr {

class Shell;

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  static const char* const kSupportAddress;
  static const char* const kWebSite;
  static const char* const kForum;
  static const char* const kBetaTester;
  static const char* const kBetaTesterPage;
  static const char* const kLicence;

  explicit AboutDialog(Shell& shell);
  // A German summary, then the licence itself.
  static QString LicenceTerms();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Open(const std::string& target);
  Shell& shell_;
};

}  // namespace tarifuhr
