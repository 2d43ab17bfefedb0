// SPDX-License-Identifier: MIT
#include "ui/AccountLists.h"

#include "connection/DialUp.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {
namespace {

// Entries the enumeration reports while a box is not there (yet).
class NoEntryList : public EntryList {
 public:
  void Add(const std::string&) override {}
  void SelectFirst() override {}
};

}  // namespace

AccountLists::AccountLists(DialUp& dialUp) : dialUp_(dialUp) {
  dialUp_.OnEntryGet = [this](DialUp&, const std::string& name) { Add(name); };
}

AccountLists::~AccountLists() { dialUp_.OnEntryGet = nullptr; }

void AccountLists::Add(const std::string& entryName) {
  NoEntryList none;
  ComboEntryList editor(editorBox_);
  ComboEntryList wizard(wizardBox_);
  AddEntryToAccountLists(wizardBox_ ? static_cast<EntryList&>(wizard) : none,
                         editorBox_ ? static_cast<EntryList&>(editor) : none, entryName);
}

void AccountLists::Refill() {
  if (wizardBox_) ClearItemsKeepText(wizardBox_);
  if (editorBox_) ClearItemsKeepText(editorBox_);
  try {
    dialUp_.GetEntries();
  } catch (const std::exception&) {
    // No dial-up library: nothing to offer, and nothing the user could
    // mend here. The editor keeps a tariff's entry as stored; the wizard's
    // last page asks for one.
  }
}

}  // namespace tarifuhr
