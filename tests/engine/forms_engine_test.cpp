// AutoLogin and the form filler on real pages in the real engine: the
// loopback server records what each form sent.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>

#include "common/textfile.h"
#include "engine/engine_harness.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

using List = std::vector<std::string>;

// Two forms, the login one second, both posting to /done; the first says who it is.
const char kLoginPage[] =
    "<html><head><meta charset='utf-8'><title>Login</title></head><body>"
    "<form action='/done' method='post'><input type='hidden' name='form' value='first'>"
    "<input name='user'><input name='pass'></form>"
    "<form name='login' action='/done' method='post'><input name='user'><input type='password' name='pass'>"
    "<input type='submit' name='submit' value='Go'></form></body></html>";

const std::string kHostilePassword = "O'Brien \"q\" \\ </script><b>Grüße ü";

TEST(AutoLoginOnEngine, OneTypedWordLogsInAndThePasswordGoesOnlyToItsSite) {
  LocalHttpServer server, other;
  for (LocalHttpServer* s : {&server, &other}) {
    s->Page("/login", kLoginPage);
    s->FormTarget("/done");
  }
  server.SlowPage("/slow", kLoginPage, 20, 300);
  server.Start();
  other.Start();
  Program p([&](CKestrelApp& a) {
    a.settings.AutoNew = 0;
    a.autoLogin.entries() = {
        {"Mail", server.Url("/login"), "login", "user=bob&pass=$password", kHostilePassword},
        {"Numbered", server.Url("/login"), "", "user=ann&pass=$password", "x"},
        {"Slow", server.Url("/slow"), "login", "user=eve&pass=$password", "secret"},
    };
  });
  MessageRecorder said;
  const auto sent = [&](std::size_t n) { return WaitFor([&] { return server.submissions().size() >= n; }); };
  const List mail = {"pass=" + kHostilePassword, "user=bob"};
  // Typed in the Address Bar, by name: the second form, every character intact.
  QLineEdit* address = p.window().addressEdit();
  address->setFocus();
  address->setText(QStringLiteral("autologin Mail"));
  QTest::keyClick(address, Qt::Key_Return);
  ASSERT_TRUE(sent(1));
  EXPECT_EQ(server.submissions()[0], mail);
  CKestrelView* site = p.frame().ActiveView();
  ASSERT_NE(site, nullptr);
  const auto received = [&] { return WaitFor([&] { return site->GetDocumentTitle() == "Received"; }); };
  EXPECT_TRUE(received());
  // From the menu, by number: the first form.
  ASSERT_TRUE(p.frame().OnCommand(kAutoLoginCommands.first + 1));
  ASSERT_TRUE(sent(2));
  EXPECT_EQ(server.submissions()[1], (List{"form=first", "pass=x", "user=ann"}));
  // The user goes elsewhere before the login page has come: nothing is typed in there.
  ASSERT_TRUE(received());
  p.main->resolver().OpenTypedLines("autologin Slow");
  EXPECT_EQ(site->pendingAutoLogin(), "Slow");
  site->Navigate(other.Url("/login"));
  ASSERT_TRUE(WaitFor([&] { return Shows(site, "Login"); }));
  Pump(800);
  EXPECT_TRUE(other.submissions().empty());
  EXPECT_EQ(site->pendingAutoLogin(), "");
  EXPECT_EQ(server.submissions().size(), 2u);

  // Protected: the Organizer's Connect asks once; a wrong password does nothing.
  p.app->settings.AccessPassword = "key";
  p.frame().OnCommand(ID_AUTOLOGIN_PROTECT_NOW);
  bool connected = false;
  WhenShown([&](QDialog* organizer) {
    auto* list = organizer->findChild<QListWidget*>(QStringLiteral("autologin-list"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    list->setCurrentRow(0);  // "Mail", sorted first
    WhenShown([&](QDialog* ask) {
      auto* field = ask->findChild<QLineEdit*>(QStringLiteral("password-field"));
      ASSERT_NE(field, nullptr);
      for (const char* typed : {"wrong", "key"}) {
        field->setText(QString::fromLatin1(typed));
        Button(ask, QStringLiteral("OK"))->click();
        EXPECT_EQ(ask->isVisible(), typed[0] == 'w') << typed;
      }
    });
    Button(organizer, QStringLiteral("Connect"))->click();
    connected = sent(3);
    Button(organizer, QStringLiteral("Close"))->click();
  });
  p.frame().OnCommand(ID_ORGANIZE_AUTOLOGIN);
  EXPECT_TRUE(connected);
  EXPECT_EQ(server.submissions()[2], mail);
  p.main->resolver().OpenTypedLines("autologin Mail");  // unlocked now: not asked again
  ASSERT_TRUE(sent(4));
  EXPECT_EQ(server.submissions().size(), 4u);
  EXPECT_NE(std::find(said.messages.begin(), said.messages.end(), "Bad password!"), said.messages.end());
}

const char kFormPage[] =
    "<html><head><title>Every kind</title></head><body><form name='all' action='/sent' method='post'>"
    "<input id='text' name='text'><input type='password' name='pw'><textarea name='area'></textarea>"
    "<select name='one'><option>a</option><option>b</option><option>c</option></select>"
    "<select name='many' multiple><option>a</option><option>b</option><option>c</option></select>"
    "<input type='checkbox' name='agree' value='yes'><input type='checkbox' name='news' value='on2'>"
    "<input type='radio' name='size' value='S'><input type='radio' name='size' value='M'>"
    "<input type='radio' name='size' value='L'><input type='hidden' name='token' value=''>"
    "<input type='file' name='upload'><input type='submit' name='go' value='Send'></form>"
    "<iframe id='inner' srcdoc=\"<form><input id='x' name='text'></form>\"></iframe></body></html>";

// Every value of the form, as the page holds it.
const char kReadBack[] = R"JS((function () {
  var f = document.forms.all, sel = function (s) {
    return Array.prototype.filter.call(s.options, function (o) { return o.selected; })
        .map(function (o) { return o.text; }).join('|');
  };
  return [f.text.value, f.pw.value, f.area.value, sel(f.one), sel(f.many), String(f.agree.checked),
          String(f.news.checked), f.size.value, f.token.value].join(' / ');
})())JS";

struct FormsFrame : RealFrame {
  MessageRecorder said;
  TempDir dir;
  CAutoLoginList autoLogin;
  CFormData data;
  FakeFormsDialogs dialogs;
  RecordingShell shell;
  CFormsCommands forms{{*frame, frame->menu(), settings, autoLogin, data, dialogs, shell, dir.path() + "/",
                        [this] { return frame->ActiveView(); }, nullptr}};
};

TEST(FormFillerOnEngine, EveryKindOfFieldIsSavedAndFilledBack) {
  LocalHttpServer server;
  server.Page("/form", kFormPage);
  std::string big = "<html><head><title>Big</title></head><body><form>";
  for (int i = 0; i < 500; ++i) big += "<input name='f" + std::to_string(i) + "'>";
  server.Page("/big", big + "</form></body></html>");
  server.Start();
  FormsFrame f;
  CKestrelView* v = f.OpenLoaded(server.Url("/form"), "Every kind");
  ASSERT_NE(v, nullptr);
  EvalIn(v, R"(var f = document.forms.all; f.text.value = 'Ann'; f.pw.value = 'p\'w"'; f.area.value = 'one\ntwo';
      f.one.selectedIndex = 1; f.many.options[0].selected = f.many.options[2].selected = true;
      f.agree.checked = true; f.size[1].checked = true; f.token.value = 't1'; f.text.focus(); 0)");
  const std::string filled = "\"Ann / p'w\\\" / one\\ntwo / b / a|c / true / false / M / t1\"";  // as JSON
  ASSERT_EQ(EvalIn(v, kReadBack), filled);
  // Saved by the rules of each kind: checked boxes only, no buttons.
  f.dialogs.saveTo = f.dir.file("all.fmd");
  f.forms.SaveActiveForm(*v);
  ASSERT_TRUE(WaitFor([&] { return f.dir.read("all.fmd").rfind("text=Ann", 0) == 0; }));
  EXPECT_EQ(f.dir.read("all.fmd"), "text=Ann\r\npw=p'w\"\r\narea=<TextArea>\r\none\r\ntwo\r\n</TextArea>\r\n"
                                   "one=b\r\nmany=a|c\r\nagree=yes\r\nsize=M\r\ntoken=t1\r\nupload=\r\n");
  // A fresh copy of the page gets every value back.
  v->Refresh();
  ASSERT_TRUE(WaitFor([&] { return EvalIn(v, kReadBack).rfind("\" / ", 0) == 0; }));
  f.data.Load(f.dir.path() + "/", {"all"});
  f.frame->OnCommand(ID_FILL_ALL_FORMS);
  EXPECT_TRUE(WaitFor([&] { return EvalIn(v, kReadBack).find("Ann") != std::string::npos; }));
  EXPECT_EQ(EvalIn(v, kReadBack), filled);
  // Auto-fill after every page; focus in a frame is no active form.
  f.settings.AutoFill = true;
  v->Refresh();
  EXPECT_TRUE(WaitFor([&] { return EvalIn(v, kReadBack).rfind("\"Ann", 0) == 0; }));  // the loaded data: still Ann
  EvalIn(v, "document.getElementById('inner').contentDocument.getElementById('x').focus(); 0");
  f.said.messages.clear();
  f.frame->OnCommand(ID_FILL_ACTIVE_FORM);
  EXPECT_TRUE(WaitFor([&] { return !f.said.messages.empty(); }));
  EXPECT_EQ(f.said.messages, List{kNoActiveForm});
  // 500 fields in one script.
  f.settings.AutoFill = false;
  std::string many;
  for (int i = 0; i < 500; ++i) many += "f" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
  f.dir.write("big.fmd", many);
  f.data.Load(f.dir.path() + "/", {"big"});
  CKestrelView* b = f.OpenLoaded(server.Url("/big"), "Big");
  ASSERT_NE(b, nullptr);
  f.forms.FillAllForms(*b);
  ASSERT_TRUE(WaitFor([&] { return EvalIn(b, "document.forms[0].f499.value") == "\"value 499\""; }));
  EXPECT_EQ(EvalIn(b, "Array.prototype.every.call(document.forms[0].elements, function (e, i) {"
                      " return e.value === 'value ' + i; })"),
            "true");
}

}  // namespace
}  // namespace kestrel::test
