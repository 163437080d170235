#pragma once
// The message routine: every message box of the program passes its English
// text through the interface-language translation, then shows it.
#include <functional>
#include <string>

namespace kestrel {

enum class MessageKind {
  Info,      // OK button
  Question,  // OK and Cancel with a question icon; the answer matters
  YesNo,     // Yes and No with a question icon; true for Yes
};

enum class Answer { Yes, No, Cancel };

// Whatever shows the box (the Qt dialogs, or a recorder in tests).
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Returns true for OK.
  virtual bool PresentMessage(const std::string& text, MessageKind kind) = 0;
  // Yes, No and Cancel with a question icon. A presenter that only knows two
  // answers gives Yes or Cancel, never the No that would throw data away.
  virtual Answer PresentYesNoCancel(const std::string& text) {
    return PresentMessage(text, MessageKind::YesNo) ? Answer::Yes : Answer::Cancel;
  }
};

using Translator = std::function<std::string(const std::string& english)>;

// The presenter is not owned; nullptr means messages go to standard error
// and a question is answered Cancel.
void SetMessagePresenter(MessagePresenter* presenter);
// An empty translator means English as written.
void SetMessageTranslator(Translator translator);

// The English text when there is no translator or it gives "".
std::string TranslateMessage(const std::string& english);

// Translates and shows; true when the user answered OK.
bool ShowMessage(const std::string& english, MessageKind kind = MessageKind::Info);
// Translates and asks; Cancel when nobody can be asked.
Answer AskYesNoCancel(const std::string& english);

}  // namespace kestrel
