#include <windows.h>
// windows.h first: these need its types.
#include <aclapi.h>
#include <sddl.h>

#include "settings/private_file.h"

namespace settings {

namespace {

class LocalMemory {
 public:
  LocalMemory() = default;
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() { LocalFree(memory_); }
  PSECURITY_DESCRIPTOR* out() { return &memory_; }
  PSECURITY_DESCRIPTOR get() const { return memory_; }

 private:
  PSECURITY_DESCRIPTOR memory_ = nullptr;
};

}  // namespace

rir::Result<void> KeepForAdministratorsOnly(const std::string& path) {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsOnly, SDDL_REVISION_1,
                                                            descriptor.out(), nullptr)) {
    return rir::SystemFailure(rir::ErrorCode::kRestrictAccess, path);
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) {
    return rir::SystemFailure(rir::ErrorCode::kRestrictAccess, path);
  }
  std::string name = path;  // the call takes a writable string but does not change it
  const DWORD status = SetNamedSecurityInfoA(
      name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      nullptr, nullptr, dacl, nullptr);
  if (status != ERROR_SUCCESS) {
    return rir::Error{rir::ErrorCode::kRestrictAccess, path,
                      rir::SystemReason(static_cast<int>(status))};
  }
  return {};
}

}  // namespace settings
