#pragma once
// AutoLogin: login pages the user described once, their file autologin.ini,
// the script that fills and submits a login form, and the access password
// that guards the entries.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr const char* kAutoLoginFile = "autologin.ini";
inline constexpr const char* kAutoLoginHeader = "caption;url;form name;logindata;password";
inline constexpr const char* kAutoLoginSaveFailed = "Can't save autologin information!";
// A record line holds at most this many characters; the rest is not read.
inline constexpr std::size_t kAutoLoginMaxLine = 1023;

struct AutoLoginEntry {
  std::string caption;
  std::string url;
  std::string formName;   // "" (the first form), an index, or a form's name
  std::string loginData;  // name=value pairs joined by "&"
  std::string password;   // plain in memory, enciphered in the file
  bool operator==(const AutoLoginEntry&) const = default;
};

class CAutoLoginList {
 public:
  std::vector<AutoLoginEntry>& entries() { return entries_; }
  const std::vector<AutoLoginEntry>& entries() const { return entries_; }
  // The first entry whose caption is exactly `caption`; nullptr when none is.
  const AutoLoginEntry* Find(std::string_view caption) const;

  // Appends the entries of the file text: the first line is the header and
  // never an entry; blank lines are skipped.
  void Parse(std::string_view text);
  // The whole file, header first, CR LF after each line.
  std::string Format() const;
  // False when the file cannot be read (the list is left as it was).
  bool Load(const std::string& path);
  // Written whole or not at all; false (and the old file kept) on failure.
  bool Save(const std::string& path) const;

 private:
  std::vector<AutoLoginEntry> entries_;
};

// One record line's five fields by position; missing fields are empty.
AutoLoginEntry ParseAutoLoginLine(std::string_view line);

// The form reference of the script: an index as it stands ("0", "12"),
// anything else as a quoted name ("'login'", "'007'").
std::string FormReference(std::string_view formName);

enum class LoginScript { Built, NothingToDo, SyntaxError };
// The script that fills the entry's fields and submits the form. Every name
// and value is a quoted script string, so no stored text can run as code.
LoginScript BuildLoginScript(const AutoLoginEntry& entry, std::string& script);

// Whether a page at `pageUrl` may receive the login of an entry for
// `entryUrl`: the same scheme, host and port, or the same host moved from
// http to https. An entry address without a scheme counts as http.
bool SameLoginOrigin(std::string_view entryUrl, std::string_view pageUrl);

// The access password and the unlock flag of the run.
class CAutoLoginAccess {
 public:
  explicit CAutoLoginAccess(std::string& password) : password_(password) {}
  const std::string& password() const { return password_; }
  bool unlocked() const { return unlocked_; }
  // Whether using an entry must ask for the password first.
  bool MustAsk() const { return !unlocked_ && !password_.empty(); }
  // The "Please Enter Password" check: true (and unlocked) on a match;
  // otherwise "Bad password!".
  bool TryPassword(const std::string& text);
  // The "Password Protect" dialog's OK: true when it may close.
  bool ChangePassword(const std::string& oldPassword, const std::string& newPassword, const std::string& confirm);
  // An entry was used while no password is set.
  void Unlock() { unlocked_ = true; }
  // "Protect Now": locks and says what that means.
  void ProtectNow();

 private:
  std::string& password_;
  bool unlocked_ = false;
};

// The AutoLogin Organizer without its window: the sorted captions, the
// selection and the six fields, working directly on the list.
class CAutoLoginOrganizer {
 public:
  struct Fields {
    std::string caption, url, formName, loginData, password, reenter;
  };
  explicit CAutoLoginOrganizer(CAutoLoginList& list);

  // The list control's items, sorted by caption (case aside).
  std::vector<std::string> Captions() const;
  int selection() const { return selection_; }
  const Fields& fields() const { return fields_; }
  Fields& fields() { return fields_; }

  void Select(int index);  // -1: none; the fields follow
  void New();
  bool Add();
  bool Change();
  bool Delete();
  // The caption Connect uses, "" when nothing is selected.
  std::string SelectedCaption() const;

 private:
  struct Item {
    std::string caption;
    std::size_t entry;
  };
  bool Validate() const;
  void Insert(std::string caption, std::size_t entry);
  int IndexOfEntry(std::size_t entry) const;
  CAutoLoginList& list_;
  std::vector<Item> items_;
  int selection_ = -1;
  Fields fields_;
};

}  // namespace kestrel
