// SPDX-License-Identifier: MIT
#pragma once
// The account boxes of the tariff editor and the wizard, filled together
// from the dial-up entries: the enumeration reports each entry once, and
// both boxes get it.

#include <QComboBox>
#include <QPointer>

namespace tarifuhr {

class DialUp;

class AccountLists {
 public:
  // Takes the dial-up component's entry event until destroyed.
  explicit AccountLists(DialUp& dialUp);
  ~AccountLists();
  AccountLists(const AccountLists&) = delete;
  AccountLists& operator=(const AccountLists&) = delete;

  void SetEditorBox(QComboBox* box) { editorBox_ = box; }
  void SetWizardBox(QComboBox* box) { wizardBox_ = box; }
  // Empties both lists, keeping their texts, and fills them with the
  // entries; without the dial-up library they stay empty.
  void Refill();

 private:
  void Add(const std::string& entryName);

  DialUp& dialUp_;
  QPointer<QComboBox> editorBox_;
  QPointer<QComboBox> wizardBox_;
};

}  // namespace tarifuhr
