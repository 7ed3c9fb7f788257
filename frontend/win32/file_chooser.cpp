#include "file_chooser.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace win32 {

namespace {

// Room for a long path, which the window allows.
constexpr DWORD kPathRoom = 32768;

std::wstring Wide(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

// The path's short form where the volume keeps one; empty when the file is not there.
std::wstring ShortPath(const std::wstring& path) {
  const DWORD room = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (room == 0) {
    return {};
  }
  std::wstring short_path(room, L'\0');
  short_path.resize(GetShortPathNameW(path.c_str(), short_path.data(), room));
  return short_path;
}

// The path as the program can use it. A file that is not there yet has no short form: its
// folder's is used, and where its own name does not survive it is made, empty, to get one.
std::optional<std::string> UsablePath(const std::wstring& path) {
  if (auto ansi = AnsiPath(path)) {
    return ansi;
  }
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return AnsiPath(ShortPath(path));
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) {
    return std::nullopt;
  }
  const std::wstring folder = ShortPath(path.substr(0, cut));
  if (auto ansi = folder.empty() ? std::nullopt : AnsiPath(folder + path.substr(cut))) {
    return ansi;
  }
  const HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (made == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  CloseHandle(made);
  auto ansi = AnsiPath(ShortPath(path));
  if (!ansi) {
    DeleteFileW(path.c_str());
  }
  return ansi;
}

// The extension a saved name gets when it has none: "txt" of a first pattern "*.txt".
std::wstring DefaultExtension(const ui::FileChoice& choice) {
  if (choice.filters.empty()) {
    return {};
  }
  const std::wstring patterns = Wide(choice.filters.front().second);
  const std::wstring first = patterns.substr(0, patterns.find(L';'));
  return first.size() > 2 && first.starts_with(L"*.") &&
                 first.find_first_of(L"*?", 2) == std::wstring::npos
             ? first.substr(2)
             : std::wstring();
}

}  // namespace

std::wstring FileFilters(const ui::FileChoice& choice) {
  std::wstring filters;
  for (const auto& [name, patterns] : choice.filters) {
    filters += Wide(name) + L'\0' + Wide(patterns) + L'\0';
  }
  filters += std::wstring(L"All files") + L'\0' + L"*.*" + L'\0';
  return filters + L'\0';
}

std::optional<std::string> AnsiPath(std::wstring_view path) {
  if (path.empty()) {
    return std::nullopt;
  }
  // A system whose ANSI code page is UTF-8 takes every path; that code page refuses the flags.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  const int length = static_cast<int>(path.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, path.data(), length, nullptr, 0, nullptr,
                                       utf8 ? nullptr : &lost);
  if (size <= 0 || lost) {
    return std::nullopt;
  }
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, path.data(), length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

std::optional<std::string> ChooseFile(HWND owner, const ui::FileChoice& choice) {
  const bool saving = choice.kind == ui::FileChoice::Kind::kSave;
  const std::wstring title = Wide(choice.title);
  const std::wstring filters = FileFilters(choice);
  const std::wstring extension = DefaultExtension(choice);
  std::wstring offered = saving ? Wide(choice.file_name) : std::wstring();
  for (;;) {
    std::vector<wchar_t> file(kPathRoom, L'\0');
    offered.copy(file.data(), std::min<std::size_t>(offered.size(), kPathRoom - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathRoom;
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (saving ? OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
    if (!(saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) {
      return std::nullopt;  // cancelled, or the window could not be shown
    }
    const std::wstring path(file.data());
    if (auto usable = UsablePath(path)) {
      return usable;
    }
    const std::wstring told =
        L"This file's name or folder has letters that this program "
        L"cannot use here:\n\n" +
        path + L"\n\nPlease choose another name or folder.";
    MessageBoxW(owner, told.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    offered = saving ? path.substr(path.find_last_of(L"\\/") + 1) : std::wstring();
  }
}

}  // namespace win32
