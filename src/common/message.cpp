#include "common/message.h"

#include <cstdio>
#include <utility>

namespace kestrel {

namespace {

MessagePresenter* presenter = nullptr;

Translator& CurrentTranslator() {
  static Translator translator;
  return translator;
}

}  // namespace

void SetMessagePresenter(MessagePresenter* p) { presenter = p; }

void SetMessageTranslator(Translator translator) { CurrentTranslator() = std::move(translator); }

std::string TranslateMessage(const std::string& english) {
  const Translator& translate = CurrentTranslator();
  if (!translate) return english;
  std::string text = translate(english);
  // A language file with an empty entry must not give an empty box.
  return text.empty() ? english : text;
}

bool ShowMessage(const std::string& english, MessageKind kind) {
  const std::string text = TranslateMessage(english);
  if (presenter) return presenter->PresentMessage(text, kind);
  // Nobody to ask: say it on standard error and take the safe answer.
  const std::string line = "kestrel: " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return kind == MessageKind::Info;
}

Answer AskYesNoCancel(const std::string& english) {
  const std::string text = TranslateMessage(english);
  if (presenter) return presenter->PresentYesNoCancel(text);
  ShowMessage(english, MessageKind::YesNo);
  return Answer::Cancel;
}

}  // namespace kestrel
