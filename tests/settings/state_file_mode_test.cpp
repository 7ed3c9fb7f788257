// Who may read the state file once the program has written it: it holds the password's hash.
#include <gtest/gtest.h>

#include <string>

#include "settings/state_file.h"
#include "temp_folder.h"
#include "wine.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: these need its types.
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32

// The file's access list as SDDL text, e.g. "D:P(A;;FA;;;BA)(A;;FA;;;SY)".
std::string AccessList(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::string name = path;
  if (GetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "(unknown)";
  }
  char* text = nullptr;
  std::string sddl = "(unknown)";
  if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    sddl = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return sddl;
}

void ExpectPrivate(const std::string& path) {
  if (testsupport::RunningUnderWine()) {
    // Wine 8 takes the list without an error but keeps none: it reads back one made from the
    // Unix mode. Only Windows itself can show the list here.
    return;
  }
  EXPECT_EQ(AccessList(path), "D:P(A;;FA;;;BA)(A;;FA;;;SY)");
}

#else

void ExpectPrivate(const std::string& path) {
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u) << path;
}

#endif

TEST(StateFileMode, EveryWriteLeavesTheFileForItsOwnerOrAdministratorsOnly) {
  testsupport::TempFolder folder;
  const std::string path = folder.File("state.dll");
  const settings::StateFile state(path);

  ASSERT_TRUE(state.StorePassword("p"));  // a new file
  ExpectPrivate(path);

  // As an older script or installer left it: readable by everyone.
  testsupport::WriteBytes(path, "[settings]\r\nfirstrun=true\r\n");
#ifndef _WIN32
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
#endif
  ASSERT_TRUE(state.WriteFirstRun("no"));
  ExpectPrivate(path);
  ASSERT_TRUE(state.StorePassword("q"));
  ExpectPrivate(path);
#ifndef _WIN32
  ExpectPrivate(path + ".lock");
#endif
}

}  // namespace
