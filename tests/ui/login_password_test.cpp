// The login window and the password change window.
#include <gtest/gtest.h>

#include "file_permissions.h"
#include "program.h"
#include "ui/login/login_form.h"
#include "ui/password/password_form.h"

namespace {

using fakes::Program;
using ui::FormId;
using ui::WindowState;

// The user types both entries in the password window and presses OK.
std::function<void(ui::frmPassword&)> Types(const std::string& password, const std::string& confirm,
                                            Program& program) {
  return [&program, password, confirm](ui::frmPassword& window) {
    program.views.password->password = password;
    program.views.password->confirm = confirm;
    window.cmdSavePassword_Click();
  };
}

TEST(Login, AWrongPasswordIsRefusedAndTheWindowClosesAllTheSame) {
  Program program;
  program.WriteState("[settings]\r\npwd=Secret\r\n");
  program.Start();
  for (const char* attempt : {"secret", "Secret ", "", "SECRET"}) {
    program.LogIn(attempt);
    EXPECT_FALSE(program.Loaded(FormId::kLogin));
    EXPECT_FALSE(program.main_view().IsVisible());
  }
  ASSERT_EQ(program.services.boxes.size(), 4u);
  EXPECT_EQ(program.services.boxes[0].text, "Password is incorrect");
  EXPECT_EQ(program.services.boxes[0].icon, ui::MsgBoxIcon::kNone);
  EXPECT_EQ(program.services.boxes[0].caption, "Tamborelle Rir Avadera");
  EXPECT_EQ(program.views.login_loads, 4);  // every attempt starts afresh

  program.LogIn("Secret");
  EXPECT_TRUE(program.main_view().IsVisible());
  EXPECT_EQ(program.main_view().GetWindowState(), WindowState::kNormal);
}

TEST(Login, AStateFileThatCannotBeReadLetsNobodyIn) {
  Program program;
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start();
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  {
    testsupport::UnreadableFile locked(program.state_path);
    program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);  // already loaded: no read
    program.app().Unload(FormId::kLogin, ui::UnloadMode::kControlMenu);
    program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);
  }
  program.views.login->password = "";
  program.app().Login().cmdLogin_Click();

  EXPECT_FALSE(program.main_view().IsVisible());
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_NE(program.services.boxes[0].text.find(program.state_path), std::string::npos);
  EXPECT_FALSE(program.Loaded(FormId::kLogin));
}

TEST(Login, ADamagedHashLetsNobodyInAndTheWindowSaysWhy) {
  const std::string stored =
      "pbkdf2-sha256$0$AAECAwQFBgcICQoLDA0ODw$lqWQTC4IyNpCMF28xdfPGOrSY21J9ZUmtgbyZpYoFHM";
  Program program;
  program.WriteState("[settings]\r\nfirstrun=no\r\npwd=" + stored + "\r\n");
  program.Start();
  for (const std::string& attempt : {stored, std::string()}) {
    program.LogIn(attempt);
    EXPECT_FALSE(program.main_view().IsVisible());
    EXPECT_FALSE(program.Loaded(FormId::kLogin));
  }
  ASSERT_EQ(program.services.boxes.size(), 2u);
  const auto& box = program.services.boxes[0];
  EXPECT_EQ(box.icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(box.text,
            "The stored password is damaged, so no password can be accepted until an "
            "administrator repairs the state file or removes its \"pwd\" line.\n\n"
            "The password hash in " +
                program.state_path +
                " is damaged: its iteration count is not a whole number from 1 to 20000000.");
}

TEST(Login, APasswordTheReaderCannotPlaceLetsNobodyIn) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=no\r\n[settings]\r\npwd=" + std::string(43, 'A') +
                     "\r\n");
  program.Start();
  program.LogIn("");
  EXPECT_FALSE(program.main_view().IsVisible());
  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].icon, ui::MsgBoxIcon::kCritical);
  EXPECT_EQ(program.BoxesWith("no password can be accepted"), 1u);
  EXPECT_EQ(program.BoxesWith(program.state_path), 1u);
}

TEST(PasswordWindow, EntriesThatDifferStoreNothing) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=true\r\npwd=old\r\n");
  program.Start();
  program.views.password_user = Types("new", "New", program);
  program.Main().mmuPassword_Click();

  ASSERT_EQ(program.services.boxes.size(), 1u);
  EXPECT_EQ(program.services.boxes[0].text, "The passwords do not match!");
  EXPECT_FALSE(program.Loaded(FormId::kPassword));
  EXPECT_NE(program.State().find("pwd=old"), std::string::npos);
}

TEST(PasswordWindow, ANewPasswordIsStoredHashedAndTakesEffectAtTheNextLoginWindow) {
  Program program;
  program.WriteState("[settings]\r\npwd=old\r\n");
  program.Start();
  program.LogIn("old");
  program.Main().nidTray_MouseMessage(ui::kTrayLeftDoubleClick);  // left open meanwhile

  program.views.password_user = Types(" new one ", " new one ", program);
  program.Main().mmuPassword_Click();
  EXPECT_EQ(program.services.boxes.back().text, "Password Succesfully changed!");
  EXPECT_FALSE(program.Loaded(FormId::kPassword));
  EXPECT_EQ(program.State().find("new one"), std::string::npos);
  EXPECT_NE(program.State().find("pwd=pbkdf2-sha256$"), std::string::npos);

  // The login window that was open still holds the old password.
  program.Main().MinimizeForm();
  program.views.login->password = "old";
  program.app().Login().cmdLogin_Click();
  EXPECT_TRUE(program.main_view().IsVisible());

  program.Main().MinimizeForm();
  program.LogIn("old");
  EXPECT_FALSE(program.main_view().IsVisible());
  program.LogIn(" new one ");  // kept exactly as typed, blanks included
  EXPECT_TRUE(program.main_view().IsVisible());
}

TEST(PasswordWindow, APasswordThatCannotBeWrittenIsReportedInsteadOfSuccess) {
  Program program;
  program.WriteState("[settings]\r\nfirstrun=true\r\npwd=old\r\n");
  program.Start();
  program.views.password_user = Types("", "", program);
  {
    testsupport::UnreadableFile locked(program.state_path);
    program.Main().mmuPassword_Click();
  }
  EXPECT_EQ(program.BoxesWith("Succesfully"), 0u);
  EXPECT_EQ(program.BoxesWith("The password was not changed."), 1u);
  EXPECT_NE(program.State().find("pwd=old"), std::string::npos);
  EXPECT_FALSE(program.Loaded(FormId::kPassword));
}

}  // namespace
