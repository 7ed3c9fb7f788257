// What each front end does for the main window's view beyond the window logic, checked through
// its real controls: a paste of several lines into the entry box, several rows selected, Ctrl+F.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "hosts_lines.h"
#include "program_driver.h"
#include "ui/main/main_form.h"

namespace testsupport {

inline void ExpectPastedLinesAsBlanks(ProgramDriver& program) {
  program.Start(/*first_run=*/true);
  program.PasteIn(Window::kMain, "txtWebsite", "a.org\nb.org\r\nc.org\n");
  EXPECT_EQ(program.TextOf(Window::kMain, "txtWebsite"), "a.org b.org c.org ");
}

// Five rows, a.org to e.org, on screen.
inline void StartWithFiveRows(ProgramDriver& program) {
  std::string hosts;
  for (const char* name : {"a.org", "b.org", "c.org", "d.org", "e.org"}) {
    hosts += BlockedLines(name, program.LineEnd());
  }
  program.WriteHosts(hosts);
  program.WriteState("[settings]\r\npwd=\r\n");
  program.Start(/*first_run=*/false);
  program.ClickTray(TrayClick::kDouble);
  program.ClickOn(Window::kLogin, "cmdLogin");  // the empty password
  ASSERT_TRUE(program.Shown(Window::kMain));
  ASSERT_EQ(program.RowCount(), 5);
}

inline void ExpectSeveralRowsSelected(ProgramDriver& program) {
  StartWithFiveRows(program);
  const ui::MainView& view = program.app().Main().view();
  program.SelectRows(1, 3);
  EXPECT_EQ(program.SelectedRows(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(view.SelectedRows(), (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(program.app().Main().lvwWebsites().selected(), 1u) << "the first row selected";
  program.SelectAll();
  EXPECT_EQ(view.SelectedRows(), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(program.app().Main().lvwWebsites().selected(), 0u);
  program.SelectRow(Window::kMain, -1);
  EXPECT_TRUE(view.SelectedRows().empty());
}

inline void ExpectCtrlFGoesToTheFindBox(ProgramDriver& program) {
  StartWithFiveRows(program);
  program.TypeIn(Window::kMain, "txtFind", "b.o");
  program.SelectRow(Window::kMain, 0);
  program.PressCtrlF();
  EXPECT_TRUE(program.Focused(Window::kMain, "txtFind"));
  EXPECT_EQ(program.app().Main().view().FindText(), "b.o");
}

}  // namespace testsupport
